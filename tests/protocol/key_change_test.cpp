#include <stdexcept>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "tavrix/protocol/device_manager.h"
#include "tests/protocol/protocol_helpers.h"
#include "tests/support/run_sync.h"

namespace tavrix {
namespace {

using testing::answer;
using testing::clearFrames;
using testing::draws;
using testing::enciphered;
using testing::kAccepted;
using testing::MailboxRequest;
using testing::MailboxTag;
using testing::requestWord;
using testing::runSync;
using testing::testKey;

const Bytes kNewKey = testKey(0x10);
const Bytes kSKey = testKey(0xA0);
const DeviceInfo kInfo(0x0123456789ABCDEF, false);

// A lock that proves it took the new key with `provenId` and refuses request `refused`.
MailboxTag provingLock(std::uint64_t provenId, std::size_t refused = 99) {
  MailboxTag tag;
  tag.respond([=](const MailboxRequest& r, std::size_t i) {
    if (i == refused) {
      return answer(0xFFFF);
    }
    if (i == 4) {
      return answer(kAccepted);
    }
    if (requestWord(r, kSKey) != 0x10101903) {
      return answer(kAccepted, Words(8, 0x5A5A5A5A));
    }
    // The identity leads the block enciphered under the new key.
    const Words proof = enciphered(kNewKey, {static_cast<std::uint32_t>(provenId >> 32),
                                             static_cast<std::uint32_t>(provenId), 0x1111, 0x2222});
    Words q{0x3333, 0x4444};
    q.insert(q.end(), proof.begin(), proof.end());
    q.push_back(0x5555);
    q.push_back(0x6666);
    return answer(kAccepted, enciphered(kSKey, q));
  });
  return tag;
}

TEST(SetKey, SendsTheKeyUnderTheAuthorisingKeyAndCommitsOnProof) {
  SeededRandom random(13);
  ScopedRandomSource source(random);
  MailboxTag tag = provingLock(kInfo.id());
  EXPECT_EQ(runSync(DeviceManager::setKey(tag, tag.device(), kInfo, kNewKey, kSKey)), Result::OK);

  const auto frames = clearFrames(tag, kSKey);
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[0][2], 0x88081800u);
  EXPECT_EQ(frames[1][2], 0x91011801u);
  // Date-time block: 1 draw; user block: 8; key frame: 3; check frame: 3; commit frame: 2.
  const Words r = draws(13, 17);
  EXPECT_EQ(tag.requests()[2].words[0], 0x00208001u);
  EXPECT_EQ(frames[2], (Words{0x00208001, r[9], 0x90101902, 0x10111213, 0x14151617, 0x18191A1B,
                              0x1C1D1E1F, r[10], r[11]}));
  EXPECT_EQ(frames[3], (Words{0x00108001, r[12], 0x10101903, r[13], r[14]}));
  EXPECT_EQ(frames[4], (Words{0x00108001, r[15], 0x87041901, 0x82D112E6, r[16]}));
  EXPECT_EQ(tag.exchanges(), 81u);
}

TEST(SetKey, ProofOfAnotherIdentityIsAnErrorWithoutCommit) {
  MailboxTag tag = provingLock(kInfo.id() + 1);
  EXPECT_EQ(runSync(DeviceManager::setKey(tag, tag.device(), kInfo, kNewKey, kSKey)),
            Result::ERROR);
  EXPECT_EQ(tag.requests().size(), 4u);
  EXPECT_EQ(tag.exchanges(), 72u);
}

TEST(SetKey, RefusalsStopAtOnce) {
  // Refused at the date-time block nothing else is sent; refused at the commit the lock has
  // already answered the key and check frames, and the command still fails.
  for (std::size_t refused = 0; refused < 5; ++refused) {
    MailboxTag tag = provingLock(kInfo.id(), refused);
    EXPECT_EQ(runSync(DeviceManager::setKey(tag, tag.device(), kInfo, kNewKey, kSKey)),
              Result::UNAUTHORIZED);
    EXPECT_EQ(tag.requests().size(), refused + 1);
  }
}

TEST(SetKey, KeyErrorsComeBeforeAnyExchange) {
  const auto messageOf = [](Bytes key, Bytes sKey) -> std::string {
    MailboxTag tag;
    try {
      runSync(DeviceManager::setKey(tag, tag.device(), kInfo, std::move(key), std::move(sKey)));
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(tag.exchanges(), 0u);
      return e.what();
    }
    return "no error";
  };
  EXPECT_EQ(messageOf(Bytes(15), kSKey), "Key size must be 16");
  EXPECT_EQ(messageOf(Bytes(17), kSKey), "Key size must be 16");
  EXPECT_EQ(messageOf(kNewKey, Bytes(15)), "Key length must be 16 bytes (128 bits)");
  // The authorising key is checked first, while the credential blocks are built.
  EXPECT_EQ(messageOf(Bytes(15), Bytes(15)), "Key length must be 16 bytes (128 bits)");
}

}  // namespace
}  // namespace tavrix
