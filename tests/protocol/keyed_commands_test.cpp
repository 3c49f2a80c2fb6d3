#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/platform_clock.h"
#include "tests/protocol/protocol_helpers.h"
#include "tests/support/run_sync.h"

namespace tavrix {
namespace {

using testing::answer;
using testing::clearFrames;
using testing::draws;
using testing::keyedAnswers;
using testing::MailboxRequest;
using testing::MailboxTag;
using testing::requestWord;
using testing::runSync;
using testing::testKey;

const Bytes kKey = testKey(0x40);

// Runs `aw`, expecting the cipher's key-length error before anything reaches the tag.
template <class T>
void expectKeyLengthError(asio::awaitable<T> aw, const MailboxTag& tag) {
  try {
    runSync(std::move(aw));
    ADD_FAILURE() << "no error";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Key length must be 16 bytes (128 bits)");
  }
  EXPECT_EQ(tag.exchanges(), 0u);
}

TEST(GetVersion, SendsAnEncipheredReadAndSplitsTheDecipheredWord) {
  SeededRandom random(21);
  ScopedRandomSource source(random);
  MailboxTag tag;
  tag.respond(keyedAnswers(kKey, [](std::uint32_t, std::size_t) {
    return Words{0xDEAD, 0xBEEF, 0x01020A10, 0xF00D};
  }));
  EXPECT_EQ(runSync(DeviceManager::getVersion(tag, tag.device(), kKey)),
            Outcome<Words>::ok({1, 2, 10, 16}));

  ASSERT_EQ(tag.requests().size(), 1u);
  const MailboxRequest& sent = tag.requests()[0];
  EXPECT_EQ(sent.cc, 0);
  EXPECT_EQ(sent.words[0], 0x00108001u);
  const Words r = draws(21, 3);
  EXPECT_EQ(clearFrames(tag, kKey)[0], (Words{0x00108001, r[0], 0x07040001, r[1], r[2]}));
  EXPECT_NE(sent.words[2], 0x07040001u);  // enciphered on the wire
  EXPECT_EQ(tag.exchanges(), 13u);
}

TEST(KeyedCommands, ShortOrLongKeyFailsBeforeSending) {
  for (const Bytes& bad : {Bytes(15), Bytes(17), Bytes{}}) {
    MailboxTag tag;
    expectKeyLengthError(DeviceManager::getVersion(tag, tag.device(), bad), tag);
    expectKeyLengthError(DeviceManager::getChargeLevel(tag, tag.device(), bad), tag);
    expectKeyLengthError(DeviceManager::control(tag, tag.device(), bad, Ctrl::LOCK), tag);
    expectKeyLengthError(DeviceManager::getControlProgress(tag, tag.device(), bad), tag);
    expectKeyLengthError(
        DeviceManager::setParameters(tag, tag.device(), bad, {Met::SINGLE, CV::LOW, 1, 2, 3}), tag);
    expectKeyLengthError(DeviceManager::getLog(tag, tag.device(), bad), tag);
  }
}

TEST(KeyedCommands, RefusalGivesUnauthorizedWithoutValue) {
  MailboxTag tag;
  tag.respond([](const MailboxRequest&, std::size_t) { return answer(5, {1, 2, 3, 4}); });
  const Device d = tag.device();
  EXPECT_EQ(runSync(DeviceManager::getVersion(tag, d, kKey)),
            Outcome<Words>::failed(Result::UNAUTHORIZED));
  EXPECT_EQ(runSync(DeviceManager::getChargeLevel(tag, d, kKey)),
            Outcome<ChargeLevel>::failed(Result::UNAUTHORIZED));
  EXPECT_EQ(runSync(DeviceManager::getControlProgress(tag, d, kKey)),
            Outcome<ControlProgress>::failed(Result::UNAUTHORIZED));
  // One frame each: the charge command never sends its second frame.
  EXPECT_EQ(tag.requests().size(), 3u);
}

struct ChargeCase {
  std::uint16_t target;
  std::uint16_t present;
  std::uint16_t level;
  bool complete;
};
void PrintTo(const ChargeCase& c, std::ostream* os) {
  *os << "target " << c.target << ", present " << c.present;
}

class ChargeArithmetic : public ::testing::TestWithParam<ChargeCase> {};

TEST_P(ChargeArithmetic, FromTheTopHalvesOfTheAnswers) {
  const ChargeCase c = GetParam();
  MailboxTag tag;
  tag.respond(keyedAnswers(kKey, [c](std::uint32_t request, std::size_t) {
    const std::uint32_t v = request == 0x05020011 ? c.target : c.present;
    return Words{0x1111, 0x2222, v << 16 | 0xABCD, 0x3333};  // low half must not count
  }));
  EXPECT_EQ(runSync(DeviceManager::getChargeLevel(tag, tag.device(), kKey)),
            Outcome<ChargeLevel>::ok(ChargeLevel(c.level, c.complete)));
  ASSERT_EQ(tag.requests().size(), 2u);
  EXPECT_EQ(requestWord(tag.requests()[0], kKey), 0x05020011u);
  EXPECT_EQ(requestWord(tag.requests()[1], kKey), 0x05020010u);
  EXPECT_EQ(tag.exchanges(), 26u);
}

INSTANTIATE_TEST_SUITE_P(
    GetChargeLevel, ChargeArithmetic,
    ::testing::Values(ChargeCase{200, 100, 50, false}, ChargeCase{100, 100, 100, true},
                      ChargeCase{3, 1, 33, false}, ChargeCase{100, 150, 150, true},
                      ChargeCase{0, 7, 65535, true}, ChargeCase{0, 0, 0, false},
                      ChargeCase{1, 1000, 34464, true}, ChargeCase{25, 16384, 0, false},
                      ChargeCase{65535, 65534, 99, false}));

TEST(Control, SendsCredentialsThenTheCodeToBothControlObjects) {
  ScopedClock clock([] { return std::int64_t{1700000000123}; });
  for (const auto& [ctrl, code] : {std::pair{Ctrl::LOCK, 1u}, {Ctrl::UNLOCK, 2u}}) {
    SeededRandom random(8);
    ScopedRandomSource source(random);
    MailboxTag tag;
    EXPECT_EQ(runSync(DeviceManager::control(tag, tag.device(), kKey, ctrl)), Result::OK);
    const auto frames = clearFrames(tag, kKey);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0][2], 0x88081800u);
    EXPECT_EQ(frames[0][4], 1700000000u);
    EXPECT_EQ(frames[1][2], 0x91011801u);
    EXPECT_EQ(frames[1][3] >> 24, std::uint32_t{'u'});
    EXPECT_EQ(frames[2][2], 0x83010121u);
    EXPECT_EQ(frames[3][2], 0x83010120u);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(frames[i][0], 0x00108001u);
    }
    // Date-time block: 1 draw; user block: 7 filler bytes and a nonce; then 3 per frame.
    const Words r = draws(8, 15);
    EXPECT_EQ(frames[2],
              (Words{0x00108001, r[9], 0x83010121, code << 24 | (r[10] & 0xFFFFFF), r[11]}));
    EXPECT_EQ(frames[3],
              (Words{0x00108001, r[12], 0x83010120, code << 24 | (r[13] & 0xFFFFFF), r[14]}));
    EXPECT_EQ(tag.exchanges(), 36u);
  }
}

TEST(Control, StopsAtTheFirstRefusedFrame) {
  for (std::size_t refused = 0; refused < 4; ++refused) {
    MailboxTag tag;
    tag.respond([refused](const MailboxRequest&, std::size_t i) {
      return answer(i == refused ? 0xFFFF : 0x00010000);
    });
    EXPECT_EQ(runSync(DeviceManager::control(tag, tag.device(), kKey, Ctrl::UNLOCK)),
              Result::UNAUTHORIZED);
    EXPECT_EQ(tag.requests().size(), refused + 1);
  }
}

TEST(GetControlProgress, TakesTheTopByte) {
  for (const auto& [word, progress, complete] : {std::tuple{0x64123456u, 100, true},
                                                 {0x63FFFFFFu, 99, false},
                                                 {0xFF000000u, 255, true},
                                                 {0x00FFFFFFu, 0, false}}) {
    SeededRandom random(4);
    ScopedRandomSource source(random);
    MailboxTag tag;
    const std::uint32_t w = word;
    tag.respond(keyedAnswers(kKey, [w](std::uint32_t, std::size_t) { return Words{0, 0, w, 0}; }));
    EXPECT_EQ(runSync(DeviceManager::getControlProgress(tag, tag.device(), kKey)),
              Outcome<ControlProgress>::ok(
                  ControlProgress(static_cast<std::uint16_t>(progress), complete)));
    const Words r = draws(4, 3);
    EXPECT_EQ(clearFrames(tag, kKey).at(0), (Words{0x00108001, r[0], 0x03010021, r[1], r[2]}));
    EXPECT_EQ(tag.exchanges(), 13u);
  }
}

struct ParametersCase {
  Parameters p;
  // (request word, value in the top bits, value width in bytes) in the order sent
  std::vector<std::tuple<std::uint32_t, std::uint32_t, int>> writes;
};
void PrintTo(const ParametersCase& c, std::ostream* os) {
  *os << c.p;
}

class SetParameters : public ::testing::TestWithParam<ParametersCase> {};

TEST_P(SetParameters, WritesEachSettingOfTheMethod) {
  MailboxTag tag;
  EXPECT_EQ(runSync(DeviceManager::setParameters(tag, tag.device(), kKey, GetParam().p)),
            Result::OK);
  const auto frames = clearFrames(tag, kKey);
  const auto& writes = GetParam().writes;
  ASSERT_EQ(frames.size(), writes.size());
  for (std::size_t i = 0; i < writes.size(); ++i) {
    const auto& [request, value, width] = writes[i];
    EXPECT_EQ(frames[i][0], 0x00108001u);
    EXPECT_EQ(frames[i][2], request) << i;
    EXPECT_EQ(frames[i][3] >> (32 - 8 * width), value) << i;
  }
  EXPECT_EQ(tag.exchanges(), 9 * writes.size());
}

INSTANTIATE_TEST_SUITE_P(DeviceManager, SetParameters,
                         ::testing::Values(ParametersCase{{Met::SINGLE, CV::LOW, 500, 7, 9},
                                                          {{0x83011000, 1, 1},
                                                           {0x85021001, 3000, 2},
                                                           {0x85021007, 500, 2},
                                                           {0x85021006, 7, 2}}},
                                           ParametersCase{{Met::VOLTAGE, CV::HIGH, 0, 65535, 1},
                                                          {{0x83011000, 2, 1},
                                                           {0x85021001, 3600, 2},
                                                           {0x85021007, 0, 2},
                                                           {0x85021002, 65535, 2},
                                                           {0x85021003, 1, 2}}},
                                           ParametersCase{{Met::TIMER, CV::MEDIUM, 65535, 12, 34},
                                                          {{0x83011000, 3, 1},
                                                           {0x85021001, 3300, 2},
                                                           {0x85021007, 65535, 2},
                                                           {0x85021004, 12, 2},
                                                           {0x85021005, 34, 2}}}));

TEST(SetParametersRefusal, NothingAfterTheRefusedFrame) {
  MailboxTag tag;
  tag.respond([](const MailboxRequest&, std::size_t) { return answer(0xFFFF); });
  EXPECT_EQ(runSync(DeviceManager::setParameters(tag, tag.device(), kKey,
                                                 {Met::TIMER, CV::LOW, 1, 2, 3})),
            Result::UNAUTHORIZED);
  EXPECT_EQ(tag.requests().size(), 1u);
}

}  // namespace
}  // namespace tavrix
