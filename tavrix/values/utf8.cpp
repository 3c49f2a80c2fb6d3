#include "tavrix/values/utf8.h"

#include <cstddef>
#include <cstdint>

namespace tavrix {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the sequence a lead byte announces, 0 for a byte that cannot start one.
int sequenceLength(std::uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Allowed range of the byte after the lead (the tighter bounds rule out overlong forms,
// surrogates and code points above U+10FFFF).
bool secondByteFits(std::uint8_t lead, std::uint8_t b) {
  switch (lead) {
    case 0xE0: return b >= 0xA0 && b <= 0xBF;
    case 0xED: return b >= 0x80 && b <= 0x9F;
    case 0xF0: return b >= 0x90 && b <= 0xBF;
    case 0xF4: return b >= 0x80 && b <= 0x8F;
    default: return b >= 0x80 && b <= 0xBF;
  }
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::u32string decodeUtf8(std::string_view bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<std::uint8_t>(bytes[i]);
    const int len = sequenceLength(lead);
    if (len == 1) {
      out.push_back(lead);
      ++i;
      continue;
    }
    if (len == 0) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    // Take continuation bytes while they fit; a sequence cut short is one replacement
    // character and decoding resumes at the byte that broke it.
    char32_t cp = lead & (0xFF >> (len + 1));
    int taken = 1;
    while (taken < len && i + taken < bytes.size()) {
      const auto b = static_cast<std::uint8_t>(bytes[i + taken]);
      const bool fits = taken == 1 ? secondByteFits(lead, b) : (b >= 0x80 && b <= 0xBF);
      if (!fits) break;
      cp = (cp << 6) | (b & 0x3F);
      ++taken;
    }
    out.push_back(taken == len ? cp : kReplacement);
    i += static_cast<std::size_t>(taken);
  }
  return out;
}

std::string sanitizeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char32_t cp : decodeUtf8(bytes)) {
    appendUtf8(out, cp);
  }
  return out;
}

std::u16string utf16Units(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (char32_t cp : decodeUtf8(utf8)) {
    if (cp < 0x10000) {
      out.push_back(static_cast<char16_t>(cp));
    } else {
      const char32_t v = cp - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    }
  }
  return out;
}

}  // namespace tavrix
