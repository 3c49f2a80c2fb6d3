#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tavrix/protocol/device_manager.h"
#include "tests/protocol/protocol_helpers.h"
#include "tests/support/run_sync.h"

namespace tavrix {
namespace {

using testing::answer;
using testing::clearFrames;
using testing::enciphered;
using testing::kAccepted;
using testing::keyedAnswers;
using testing::MailboxRequest;
using testing::MailboxTag;
using testing::requestWord;
using testing::runSync;
using testing::testKey;

const Bytes kKey = testKey(0x33);

struct StoredEntry {
  std::uint64_t time;
  std::uint32_t nameLength;  // as the lock reports it
  std::string nameBytes;     // at most 24
  std::uint32_t operationWord;
};

// Name answer: length in the second byte of q[1], bytes from q[2] on, zero-padded to 24.
Words nameAnswer(std::uint32_t length, const std::string& bytes) {
  Words q{0x7777, 0xAA000000 | (length & 0xFF) << 16 | 0xBBBB};
  std::string padded = bytes;
  padded.resize(24, '\0');
  for (std::size_t i = 0; i < 24; i += 4) {
    std::uint32_t w = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      w = w << 8 | static_cast<std::uint8_t>(padded[i + k]);
    }
    q.push_back(w);
  }
  return q;
}

// A lock holding `entries`; the entry to answer is the one the last index frame selected.
MailboxTag logLock(std::vector<StoredEntry> entries, std::optional<std::size_t> failAt = {}) {
  MailboxTag tag;
  auto selected = std::make_shared<std::size_t>(0);
  tag.respond([=](const MailboxRequest& r, std::size_t i) {
    if (failAt && i == *failAt) {
      return answer(0x0006);
    }
    const Words clear = testing::clearFrame(r.words, kKey);
    const StoredEntry* e = entries.empty() ? nullptr : &entries[*selected];
    switch (clear[2]) {
      case 0x05021810:
        return answer(
            kAccepted,
            enciphered(kKey, {0, 0, static_cast<std::uint32_t>(entries.size()) << 16 | 0xFFFF, 0}));
      case 0x85021811:
        *selected = clear[3] >> 16;
        return answer(kAccepted, Words(8, 0x12345678));  // garbage: never deciphered
      case 0x08081813:
        return answer(kAccepted,
                      enciphered(kKey, {0, 0, static_cast<std::uint32_t>(e->time >> 32),
                                        static_cast<std::uint32_t>(e->time), 0, 0, 0, 0}));
      case 0x11281814:
        return answer(kAccepted, enciphered(kKey, nameAnswer(e->nameLength, e->nameBytes)));
      case 0x07041812:
        return answer(kAccepted, enciphered(kKey, {0, 0, e->operationWord, 0, 0, 0, 0, 0}));
      default:
        return answer(0x0002);
    }
  });
  return tag;
}

TEST(GetLog, EmptyLogAfterOneExchange) {
  MailboxTag tag = logLock({});
  EXPECT_EQ(runSync(DeviceManager::getLog(tag, tag.device(), kKey)),
            Outcome<std::vector<DeviceLog>>::ok({}));
  EXPECT_EQ(tag.exchanges(), 13u);
}

TEST(GetLog, ReadsEveryEntryInIndexOrder) {
  MailboxTag tag = logLock(
      {{(std::uint64_t{1} << 32) + 2, 5, "alice", 0xFFFFFF02}, {1700000000, 3, "bob", 0x01}});
  const auto log = runSync(DeviceManager::getLog(tag, tag.device(), kKey));
  EXPECT_EQ(log, Outcome<std::vector<DeviceLog>>::ok(
                     {DeviceLog((std::uint64_t{1} << 32) + 2, "alice", Ctrl::UNLOCK),
                      DeviceLog(1700000000, "bob", Ctrl::LOCK)}));
  EXPECT_EQ(tag.exchanges(), 13u + 2 * 68);

  const auto frames = clearFrames(tag, kKey);
  ASSERT_EQ(frames.size(), 9u);
  EXPECT_EQ(frames[0][2], 0x05021810u);
  const std::vector<std::uint32_t> entryRequests{0x85021811, 0x08081813, 0x11281814, 0x07041812};
  for (std::size_t entry = 0; entry < 2; ++entry) {
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_EQ(frames[1 + 4 * entry + k][2], entryRequests[k]);
    }
    EXPECT_EQ(frames[1 + 4 * entry][3] >> 16, entry);
  }
}

struct NameCase {
  std::uint32_t length;
  std::string bytes;
  std::optional<std::string> username;  // nothing: the read fails
};
void PrintTo(const NameCase& c, std::ostream* os) {
  *os << "L=" << c.length;
}

class LogNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(LogNames, DecodesTheFirstLBytes) {
  const NameCase& c = GetParam();
  MailboxTag tag = logLock({{1, c.length, c.bytes, 1}});
  const auto log = runSync(DeviceManager::getLog(tag, tag.device(), kKey));
  if (!c.username) {
    EXPECT_EQ(log, Outcome<std::vector<DeviceLog>>::failed(Result::ERROR));
    return;
  }
  ASSERT_TRUE(log.isOk());
  ASSERT_EQ(log.value()->size(), 1u);
  EXPECT_EQ(log.value()->front().username(), *c.username);
}

INSTANTIATE_TEST_SUITE_P(
    GetLog, LogNames,
    ::testing::Values(NameCase{0, "ignored", ""}, NameCase{5, "carolXYZ", "carol"},
                      NameCase{24, "abcdefghijklmnopqrstuvwx", "abcdefghijklmnopqrstuvwx"},
                      NameCase{25, "abcdefghijklmnopqrstuvwx", std::nullopt},
                      NameCase{255, "x", std::nullopt},
                      NameCase{4, "a\xFF\xC3z", "a\xEF\xBF\xBD\xEF\xBF\xBDz"},
                      NameCase{3, "\xE4\xB8\xAD\xE6", "\xE4\xB8\xAD"},
                      NameCase{4, "\xE4\xB8\xAD\xE6", "\xE4\xB8\xAD\xEF\xBF\xBD"}));

TEST(GetLog, OperationCodeIsTheLowByte) {
  for (const auto& [word, ctrl] : {std::pair{0x00000002u, std::optional{Ctrl::UNLOCK}},
                                   {0xABCDEF01u, std::optional{Ctrl::LOCK}},
                                   {0x00000000u, std::optional<Ctrl>{}},
                                   {0x00000003u, std::optional<Ctrl>{}},
                                   {0x00000100u, std::optional<Ctrl>{}}}) {
    MailboxTag tag = logLock({{1, 1, "u", word}});
    const auto log = runSync(DeviceManager::getLog(tag, tag.device(), kKey));
    ASSERT_TRUE(log.isOk());
    EXPECT_EQ(log.value()->at(0).ctrl(), ctrl) << std::hex << word;
  }
}

TEST(GetLog, AFailedEntryDropsEverythingRead) {
  // Requests: count, then 4 per entry; 6 is the time frame of the second entry.
  MailboxTag tag = logLock({{1, 1, "a", 1}, {2, 1, "b", 2}, {3, 1, "c", 1}}, 6);
  EXPECT_EQ(runSync(DeviceManager::getLog(tag, tag.device(), kKey)),
            Outcome<std::vector<DeviceLog>>::failed(Result::UNAUTHORIZED));
  EXPECT_EQ(tag.requests().size(), 7u);

  MailboxTag gone = logLock({{1, 1, "a", 1}, {2, 1, "b", 2}});
  gone.leaveFieldAt(13 + 68 + 20);
  EXPECT_EQ(runSync(DeviceManager::getLog(gone, gone.device(), kKey)),
            Outcome<std::vector<DeviceLog>>::failed(Result::ERROR));
  EXPECT_EQ(gone.exchanges(), 13u + 68 + 20);
}

TEST(GetLog, RefusedCountGivesNoList) {
  MailboxTag tag = logLock({{1, 1, "a", 1}}, 0);
  EXPECT_EQ(runSync(DeviceManager::getLog(tag, tag.device(), kKey)),
            Outcome<std::vector<DeviceLog>>::failed(Result::UNAUTHORIZED));
  EXPECT_EQ(tag.requests().size(), 1u);
}

}  // namespace
}  // namespace tavrix
