#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "tavrix/protocol/device_manager.h"
#include "tests/protocol/protocol_helpers.h"
#include "tests/support/run_sync.h"
#include "tests/support/scripted_tag.h"

namespace tavrix {
namespace {

using testing::answer;
using testing::hex;
using testing::MailboxRequest;
using testing::MailboxTag;
using testing::runSync;
using testing::ScriptedTag;

TEST(Call, WritesBehindTheHeaderAndReadsBackFromTheStartAddress) {
  ScriptedTag tag;
  tag.expect(hex("70 00 00 01 00 60 00 00 2A"), hex("70 70"))
      .expect(hex("70 00 00 01 04 DE AD BE EF"), hex("70 70"))
      .expect(hex("60 02 00 00 00"), hex("60 60 00 00 2A 60"))
      .expect(hex("80 00 00 01 00"), hex("80 11 22 33 44 80"));
  const auto out = runSync(DeviceManager::call(tag, Device(0x100), 0x2A, {0xDEADBEEF}, 1));
  ASSERT_TRUE(out.isOk());
  EXPECT_EQ(*out.value(), Words{0x11223344});
  EXPECT_EQ(tag.remaining(), 0u);
}

TEST(Call, FailedWriteOrReadIsAnError) {
  ScriptedTag refusedWrite;
  refusedWrite.reply(hex("70 71"));
  EXPECT_EQ(runSync(DeviceManager::call(refusedWrite, Device(0), 0, {1}, 1)),
            Outcome<Words>::failed(Result::ERROR));
  EXPECT_EQ(refusedWrite.sent().size(), 1u);

  ScriptedTag badRead;
  badRead.reply(hex("70 70")).reply(hex("70 70")).reply(hex("60 60 00 00 00 60")).raise();
  EXPECT_EQ(runSync(DeviceManager::call(badRead, Device(0), 0, {1}, 2)),
            Outcome<Words>::failed(Result::ERROR));
  EXPECT_EQ(badRead.sent().size(), 4u);
}

struct StatusCase {
  std::uint32_t status;
  Result expected;
  std::size_t framesSent;  // of two
};
void PrintTo(const StatusCase& c, std::ostream* os) {
  *os << "status " << c.status;
}

class StatusWord : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusWord, DecidesAndStopsAtTheFirstRefusal) {
  MailboxTag tag;
  const std::uint32_t status = GetParam().status;
  tag.respond([status](const MailboxRequest&, std::size_t) { return answer(status); });
  std::vector<std::int32_t> parsed;
  const Result r = runSync(DeviceManager::transAndCheckResult(
      tag, tag.device(), {{1, 2}, {3, 4}}, 0, [&parsed](const Words&, std::int32_t i) {
        parsed.push_back(i);
        return true;
      }));
  EXPECT_EQ(r, GetParam().expected);
  EXPECT_EQ(tag.requests().size(), GetParam().framesSent);
  EXPECT_EQ(parsed.size(), r == Result::OK ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(TransAndCheckResult, StatusWord,
                         ::testing::Values(StatusCase{0x00010000, Result::OK, 2},
                                           StatusCase{0xFFFFFFFF, Result::OK, 2},
                                           StatusCase{0x0000FFFF, Result::UNAUTHORIZED, 1},
                                           StatusCase{0x00000000, Result::UNAUTHORIZED, 1}));

TEST(TransAndCheckResult, HandsEachFrameItsPayloadAndIndex) {
  MailboxTag tag;
  tag.respond([](const MailboxRequest&, std::size_t i) {
    const auto base = static_cast<std::uint32_t>(10 * i);
    return answer(0x00020000, {base + 1, base + 2, base + 3, base + 4, 0xBAD});
  });
  std::vector<Words> payloads;
  std::vector<std::int32_t> indices;
  const Result r = runSync(DeviceManager::transAndCheckResult(
      tag, tag.device(), {{7, 7, 7}, {8}}, 4, [&](const Words& p, std::int32_t i) {
        payloads.push_back(p);
        indices.push_back(i);
        return true;
      }));
  EXPECT_EQ(r, Result::OK);
  EXPECT_EQ(payloads, (std::vector<Words>{{1, 2, 3, 4}, {11, 12, 13, 14}}));
  EXPECT_EQ(indices, (std::vector<std::int32_t>{0, 1}));
  // Frame of k words: header + k writes, trigger, n + 2 reads.
  EXPECT_EQ(tag.exchanges(), (3u + 2 + 6) + (1u + 2 + 6));
  EXPECT_EQ(tag.requests()[0].cc, 0);
  EXPECT_EQ(tag.requests()[0].words, (Words{7, 7, 7}));
}

TEST(TransAndCheckResult, ZeroPayloadReadsOnlyTheHeader) {
  MailboxTag tag;
  Words seen{0xFFFF};
  const Result r = runSync(DeviceManager::transAndCheckResult(
      tag, tag.device(), {{5}}, 0, [&seen](const Words& p, std::int32_t) {
        seen = p;
        return true;
      }));
  EXPECT_EQ(r, Result::OK);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(tag.exchanges(), 1u + 1 + 1 + 2);
}

TEST(TransAndCheckResult, RejectedPayloadIsAnErrorAndStops) {
  MailboxTag tag;
  const Result r = runSync(DeviceManager::transAndCheckResult(
      tag, tag.device(), {{1}, {2}}, 0, [](const Words&, std::int32_t) { return false; }));
  EXPECT_EQ(r, Result::ERROR);
  EXPECT_EQ(tag.requests().size(), 1u);
}

TEST(TransAndCheckResult, FailedExchangeIsAnErrorAndStops) {
  MailboxTag tag;
  tag.leaveFieldAt(3);  // the trigger of the first frame
  const Result r = runSync(DeviceManager::transAndCheckResult(
      tag, tag.device(), {{1}, {2}}, 0, [](const Words&, std::int32_t) { return true; }));
  EXPECT_EQ(r, Result::ERROR);
  EXPECT_EQ(tag.exchanges(), 3u);
}

TEST(TransAndCheckResult, NothingToSendOrNoRoomForStatusTouchesNothing) {
  MailboxTag tag;
  auto accept = [](const Words&, std::int32_t) { return true; };
  EXPECT_EQ(runSync(DeviceManager::transAndCheckResult(tag, tag.device(), {}, 4, accept)),
            Result::OK);
  EXPECT_EQ(runSync(DeviceManager::transAndCheckResult(tag, tag.device(), {{1}}, -1, accept)),
            Result::ERROR);
  EXPECT_EQ(tag.exchanges(), 0u);
}

TEST(TransAndCheckResult, EmptyParserAcceptsEveryPayload) {
  MailboxTag tag;
  EXPECT_EQ(runSync(DeviceManager::transAndCheckResult(tag, tag.device(), {{1}, {2}}, 4, {})),
            Result::OK);
  EXPECT_EQ(tag.requests().size(), 2u);
}

TEST(TransAndCheckResult, ParserErrorsPassThrough) {
  MailboxTag tag;
  EXPECT_THROW(runSync(DeviceManager::transAndCheckResult(
                   tag, tag.device(), {{1}}, 0,
                   [](const Words&, std::int32_t) -> bool { throw std::invalid_argument("x"); })),
               std::invalid_argument);
}

}  // namespace
}  // namespace tavrix
