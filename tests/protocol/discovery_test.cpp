#include <gtest/gtest.h>

#include "tavrix/protocol/device_manager.h"
#include "tests/protocol/protocol_helpers.h"
#include "tests/support/run_sync.h"
#include "tests/support/scripted_tag.h"

namespace tavrix {
namespace {

using testing::answer;
using testing::draws;
using testing::hex;
using testing::kAccepted;
using testing::MailboxRequest;
using testing::MailboxTag;
using testing::runSync;
using testing::ScriptedTag;

TEST(Init, FindsTheMailbox) {
  ScriptedTag tag;
  tag.expect(hex("47 11"), hex("47 47")).expect(hex("60 00 00 00 00"), hex("60 00 00 01 00 60"));
  EXPECT_EQ(runSync(DeviceManager::init(tag)), Outcome<Device>::ok(Device(256)));
}

TEST(Init, FailsWithoutStartOrAddress) {
  ScriptedTag noStart;
  noStart.reply(hex("47 46"));
  EXPECT_EQ(runSync(DeviceManager::init(noStart)), Outcome<Device>::failed(Result::ERROR));
  EXPECT_EQ(noStart.sent().size(), 1u);  // no address query after a refused start

  ScriptedTag badAddress;
  badAddress.reply(hex("47 47")).reply(hex("60 00 00 01 00 61"));
  EXPECT_EQ(runSync(DeviceManager::init(badAddress)), Outcome<Device>::failed(Result::ERROR));

  ScriptedTag gone;
  gone.raise();
  EXPECT_EQ(runSync(DeviceManager::init(gone)), Outcome<Device>::failed(Result::ERROR));
}

TEST(GetRssi, MeasuresWithCommandTwelveAndReadsOneWord) {
  ScriptedTag tag;
  tag.expect(hex("70 00 00 10 00 60 00 00 0C"), hex("70 70"))
      .expect(hex("70 00 00 10 04 00 00 00 00"), hex("70 70"))
      .expect(hex("60 02 00 00 00"), hex("60 60 00 00 0C 60"))
      .expect(hex("80 00 00 10 00"), hex("80 00 00 FF FF 80"));
  EXPECT_EQ(runSync(DeviceManager::getRssi(tag, Device(0x1000))),
            Outcome<std::uint32_t>::ok(65535));
  EXPECT_EQ(tag.remaining(), 0u);
}

TEST(GetRssi, AWordAboveSixteenBitsOrAFailedTriggerIsAnError) {
  MailboxTag tag;
  tag.respond([](const MailboxRequest&, std::size_t) { return Words{0x00010000}; });
  EXPECT_EQ(runSync(DeviceManager::getRssi(tag, tag.device())),
            Outcome<std::uint32_t>::failed(Result::ERROR));

  ScriptedTag badTrigger;
  badTrigger.reply(hex("70 70")).reply(hex("70 70")).reply(hex("60 60 00 00 00 60"));
  EXPECT_EQ(runSync(DeviceManager::getRssi(badTrigger, Device(0))),
            Outcome<std::uint32_t>::failed(Result::ERROR));
  EXPECT_EQ(badTrigger.sent().size(), 3u);  // nothing read after it
}

// Answers the identity frame with `identity` and the new-flag frame with `flagWord`.
MailboxTag infoTag(std::uint64_t identity, std::uint32_t flagWord) {
  MailboxTag tag;
  tag.respond([=](const MailboxRequest& r, std::size_t) {
    if (r.words.at(2) == 0x09080005) {
      return answer(kAccepted, {0xAAAA, 0xBBBB, static_cast<std::uint32_t>(identity >> 32),
                                static_cast<std::uint32_t>(identity)});
    }
    return answer(kAccepted, {0xAAAA, 0xBBBB, flagWord, 0xCCCC});
  });
  return tag;
}

TEST(GetInfo, SendsTwoClearReadsAndAssemblesTheIdentity) {
  SeededRandom random(5);
  ScopedRandomSource source(random);
  MailboxTag tag = infoTag(0x123456789ABCDEF0, 0x00FFFFFF);
  EXPECT_EQ(runSync(DeviceManager::getInfo(tag, tag.device())),
            Outcome<DeviceInfo>::ok(DeviceInfo(0x123456789ABCDEF0, true)));
  const Words nonces = draws(5, 2);
  ASSERT_EQ(tag.requests().size(), 2u);
  EXPECT_EQ(tag.requests()[0].words, (Words{0x00080001, nonces[0], 0x09080005}));
  EXPECT_EQ(tag.requests()[1].words, (Words{0x00080001, nonces[1], 0x03010030}));
  EXPECT_EQ(tag.exchanges(), 22u);
}

TEST(GetInfo, NewExactlyWhenTheFlagByteIsZero) {
  for (const auto& [flagWord, isNew] : {std::pair{0x00000000u, true},
                                        {0x00FFFFFFu, true},
                                        {0x01000000u, false},
                                        {0xFF000000u, false}}) {
    MailboxTag tag = infoTag(7, flagWord);
    const auto info = runSync(DeviceManager::getInfo(tag, tag.device()));
    ASSERT_TRUE(info.isOk());
    EXPECT_EQ(info.value()->isNew(), isNew) << std::hex << flagWord;
  }
}

TEST(GetInfo, ARefusalOfEitherFrameGivesNoIdentity) {
  for (std::size_t refused : {0u, 1u}) {
    MailboxTag tag;
    tag.respond([refused](const MailboxRequest&, std::size_t i) {
      return answer(i == refused ? 0 : kAccepted, {0, 0, 1, 2});
    });
    EXPECT_EQ(runSync(DeviceManager::getInfo(tag, tag.device())),
              Outcome<DeviceInfo>::failed(Result::UNAUTHORIZED));
    EXPECT_EQ(tag.requests().size(), refused + 1);
  }
}

TEST(Select, WritesTheUserTypeInTheTopByte) {
  for (const auto& [type, code] :
       {std::pair{UserType::NORMAL, 0x01u}, {UserType::SUPERVISOR, 0xFEu}}) {
    SeededRandom random(9);
    ScopedRandomSource source(random);
    MailboxTag tag;
    EXPECT_EQ(runSync(DeviceManager::select(tag, tag.device(), type)), Result::OK);
    const Words r = draws(9, 2);
    ASSERT_EQ(tag.requests().size(), 1u);
    EXPECT_EQ(tag.requests()[0].words,
              (Words{0x000C0001, r[0], 0x83011900, code << 24 | (r[1] & 0x00FFFFFF)}));
    EXPECT_EQ(tag.exchanges(), 8u);
  }
}

TEST(Select, ReportsTheLocksRefusal) {
  MailboxTag tag;
  tag.respond([](const MailboxRequest&, std::size_t) { return answer(0x0003); });
  EXPECT_EQ(runSync(DeviceManager::select(tag, tag.device(), UserType::NORMAL)),
            Result::UNAUTHORIZED);
}

}  // namespace
}  // namespace tavrix
