#pragma once

#include <string>
#include <string_view>

namespace tavrix {

// Decodes UTF-8 leniently: every malformed, overlong, surrogate or truncated sequence becomes
// U+FFFD, so bytes from a tag never make invalid text.
std::u32string decodeUtf8(std::string_view bytes);

// The same bytes as well-formed UTF-8, malformed sequences replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view bytes);

// The UTF-16 code units of the text (malformed UTF-8 counted as U+FFFD).
std::u16string utf16Units(std::string_view utf8);

}  // namespace tavrix
