#include "tavrix/values/utf8.h"

#include <gtest/gtest.h>

namespace tavrix {
namespace {

struct Utf8Case {
  const char* what;
  std::string in;
  std::string out;
};

TEST(Utf8Test, MalformedSequencesBecomeReplacementCharacters) {
  const std::string r = "\xEF\xBF\xBD";
  const Utf8Case cases[] = {
      {"ascii", "anna", "anna"},
      {"two-byte", "\xC3\xA9", "\xC3\xA9"},
      {"four-byte", "\xF0\x9F\x94\x92", "\xF0\x9F\x94\x92"},
      {"lone continuation", "a\x80z", "a" + r + "z"},
      {"truncated at end", "ab\xE4\xBD", "ab" + r},
      {"truncated before ascii", "\xE4\xBDz", r + "z"},
      {"overlong", "\xC0\xAF", r + r},
      {"surrogate", "\xED\xA0\x80", r + r + r},
      {"above U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
      {"invalid lead", "\xFF", r},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sanitizeUtf8(c.in), c.out) << c.what;
  }
}

TEST(Utf8Test, Utf16UnitsSplitSupplementaryCharacters) {
  EXPECT_EQ(utf16Units("\xF0\x9F\x94\x92"), (std::u16string{0xD83D, 0xDD12}));
  EXPECT_EQ(utf16Units("a\xC3\xA9"), (std::u16string{u'a', 0xE9}));
}

}  // namespace
}  // namespace tavrix
