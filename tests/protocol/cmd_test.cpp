#include "tavrix/protocol/cmd.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "tavrix/protocol/platform_clock.h"
#include "tests/protocol/protocol_helpers.h"

namespace tavrix {
namespace {

using testing::clearFrame;
using testing::draws;
using testing::testKey;

struct ClockCase {
  std::int64_t millis;
  std::uint32_t word4;
};
void PrintTo(const ClockCase& c, std::ostream* os) {
  *os << c.millis << "ms";
}

class DateTimeBlock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(DateTimeBlock, CarriesWholeSecondsTruncatedTowardZero) {
  const std::int64_t millis = GetParam().millis;
  ScopedClock clock([millis] { return millis; });
  SeededRandom random(3);
  ScopedRandomSource source(random);
  const Words sent = CMD::DT(testKey());
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0], 0x00108001u);
  EXPECT_EQ(clearFrame(sent, testKey()),
            (Words{0x00108001, draws(3, 1)[0], 0x88081800, 0, GetParam().word4}));
}

INSTANTIATE_TEST_SUITE_P(CMD, DateTimeBlock,
                         ::testing::Values(ClockCase{1700000000123, 1700000000}, ClockCase{999, 0},
                                           ClockCase{-1500, 0xFFFFFFFF},  // -1 s, not -2
                                           ClockCase{(std::int64_t{1} << 32) * 1000 + 5999, 5}));

struct NameCase {
  std::string name;
  std::uint32_t lengthWord;
  std::size_t fillerBytes;
};
void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.name.size() << " bytes";
}

class UserBlock : public ::testing::TestWithParam<NameCase> {};

TEST_P(UserBlock, NameThenSeparatelyDrawnFillerBytesThenNonce) {
  const NameCase& c = GetParam();
  SeededRandom random(11);
  ScopedRandomSource source(random);
  const Words sent = CMD::USR(testKey(), c.name);
  const Words expectedDraws = draws(11, c.fillerBytes + 1);

  std::string bytes = c.name;
  for (std::size_t i = 0; i < c.fillerBytes; ++i) {
    bytes.push_back(static_cast<char>(expectedDraws[i] & 0xFF));
  }
  Words expected{c.lengthWord, expectedDraws.back(),
                 0x91001801u | static_cast<std::uint32_t>(c.name.size()) << 16};
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    std::uint32_t w = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      w = w << 8 | static_cast<std::uint8_t>(bytes[i + k]);
    }
    expected.push_back(w);
  }
  ASSERT_EQ(sent.size(), expected.size());
  EXPECT_EQ(sent[0], c.lengthWord);
  EXPECT_EQ(clearFrame(sent, testKey()), expected);
}

INSTANTIATE_TEST_SUITE_P(CMD, UserBlock,
                         ::testing::Values(NameCase{"u", 0x00108001, 7},
                                           NameCase{"abcdefgh", 0x00208001, 16},
                                           NameCase{"", 0x00108001, 8},
                                           NameCase{"1234567", 0x00108001, 1},
                                           NameCase{std::string(24, 'n'), 0x00308001, 16},
                                           NameCase{"\xC3\xA9t\xC3\xA9", 0x00108001, 3}));

TEST(CMD, RefusesWhatCannotBeSent) {
  EXPECT_THROW(
      {
        try {
          CMD::DT(Bytes(15));
        } catch (const std::invalid_argument& e) {
          EXPECT_STREQ(e.what(), "Key length must be 16 bytes (128 bits)");
          throw;
        }
      },
      std::invalid_argument);
  EXPECT_THROW(CMD::USR(Bytes(17), "u"), std::invalid_argument);
  // The name's byte count has one byte in the request word.
  EXPECT_NO_THROW(CMD::USR(testKey(), std::string(255, 'x')));
  EXPECT_THROW(CMD::USR(testKey(), std::string(256, 'x')), std::invalid_argument);
}

}  // namespace
}  // namespace tavrix
