// Command frames as the kit lays them out: decoded, authorised, served and answered with the
// values where the kit reads them.
#include <gtest/gtest.h>

#include <set>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/random_source.h"
#include "tavrix/sim/lock_objects.h"
#include "tavrix/sim/simulated_lock.h"
#include "tests/sim/lock_host.h"

namespace tavrix::sim {
namespace {

using testing::clearRead;
using testing::decipherPayload;
using testing::encipher;
using testing::fiveWords;
using testing::LockHost;
using testing::userBlock;

constexpr std::uint8_t kNormal = 0x01;

class SimFrames : public ::testing::Test {
 protected:
  explicit SimFrames(LockConfig config = {}) : lock(config), host(lock) {
    EXPECT_TRUE(host.startContact());
    key = lock.state().key;
  }
  // Select, then the credential blocks under the lock's key.
  void authorise(std::uint32_t seconds = 1700000000, const std::string& name = "u") {
    ASSERT_GT(host.select(kNormal), 0xFFFFu);
    ASSERT_GT(host.credentials(key, seconds, name), 0xFFFFu);
  }

  SimulatedLock lock;
  LockHost host;
  Bytes key;
};

TEST(SimDiscovery, ClearFramesCarryTheIdentityAndTheNewFlag) {
  for (bool isNew : {true, false}) {
    LockConfig config;
    config.id = 0x123456789ABCDEF0;
    config.isNew = isNew;
    SimulatedLock lock(config);
    LockHost host(lock);
    ASSERT_TRUE(host.startContact());

    const auto id = host.frame(clearRead(0x09080005), 4);
    ASSERT_TRUE(id);
    EXPECT_GT((*id)[1], 0xFFFFu);
    EXPECT_EQ((*id)[4], 0x12345678u);  // payload word 2: high half
    EXPECT_EQ((*id)[5], 0x9ABCDEF0u);  // payload word 3: low half

    const auto flag = host.frame(clearRead(0x03010030), 4);
    ASSERT_TRUE(flag);
    EXPECT_GT((*flag)[1], 0xFFFFu);
    EXPECT_EQ((*flag)[4] >> 24, isNew ? 0u : 1u);
  }
}

TEST_F(SimFrames, SelectionTakesTheKnownUserTypesOnly) {
  EXPECT_EQ(host.select(0x07), status::kBadValue);
  EXPECT_EQ(host.keyedRead(0x07040001, key), std::nullopt);  // still nobody selected
  EXPECT_GT(host.select(0xFE), 0xFFFFu);
  EXPECT_GT(host.select(kNormal), 0xFFFFu);
}

TEST_F(SimFrames, TraceRecordsTheRawExchangesAndTheDecodedFrames) {
  lock.setTracing(true);
  ASSERT_TRUE(host.startContact());
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  const Words control = fiveWords(0x83010121, 0x02123456);
  EXPECT_EQ(host.status(encipher(control, key)), status::kNoCredentials);

  const auto raw = lock.rawTrace();
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(raw[0].command, "47 11");
  EXPECT_EQ(raw[0].answer, "47 47");
  EXPECT_EQ(raw[1].answer, "60 00 00 10 00 60");

  const auto frames = lock.frames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].request, Request{0x83011900});
  EXPECT_EQ(frames[0].key, FrameKey::NONE);
  EXPECT_EQ(frames[0].value, Bytes{kNormal});
  EXPECT_GT(frames[0].status, 0xFFFFu);
  EXPECT_TRUE(frames[1].enciphered);
  EXPECT_EQ(frames[1].key, FrameKey::SESSION);
  EXPECT_EQ(frames[1].words, control);  // deciphered back to what the host built
  EXPECT_EQ(frames[1].request->object(), object::kControlFirst);
  EXPECT_EQ(frames[1].value, Bytes{0x02});
  EXPECT_EQ(frames[1].status, status::kNoCredentials);
}

class SimCharging : public SimFrames {
 protected:
  static LockConfig charging() {
    LockConfig c;
    c.chargeTarget = 200;
    c.chargeStep = 60;
    c.firmwareVersion = 0x01020A10;
    return c;
  }
  SimCharging() : SimFrames(charging()) {}

  // As the kit reads a 4-word payload: only the first block deciphered.
  std::uint32_t upperHalfOfQ2(std::uint32_t request) {
    const auto answer = host.frame(encipher(fiveWords(request, 0), key), 4);
    EXPECT_TRUE(answer && (*answer)[1] > 0xFFFF);
    return answer ? decipherPayload(*answer, key)[2] >> 16 : 0;
  }
};

TEST_F(SimCharging, ChargeRisesByStepToTheTargetAndStartsEmptyEachContact) {
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  EXPECT_EQ(upperHalfOfQ2(0x05020011), 200u);
  for (std::uint32_t expected : {60u, 120u, 180u, 200u, 200u}) {
    EXPECT_EQ(upperHalfOfQ2(0x05020010), expected);
  }
  ASSERT_TRUE(host.startContact());
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  EXPECT_EQ(upperHalfOfQ2(0x05020010), 60u);
}

TEST_F(SimCharging, VersionIsTheFourBytesOfQ2) {
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  const auto q = host.keyedRead(0x07040001, key);
  ASSERT_TRUE(q);
  EXPECT_EQ((*q)[2], 0x01020A10u);
}

class SimControl : public SimFrames {
 protected:
  static LockConfig stepping() {
    LockConfig c;
    c.motorStep = 40;
    c.locked = true;
    return c;
  }
  SimControl() : SimFrames(stepping()) {}

  std::uint32_t control(std::uint16_t object, std::uint8_t code) {
    return host.keyedWrite(0x83010000u | object, std::uint32_t{code} << 24 | 0x00C0FFEE, key);
  }
  std::uint32_t progress() {
    const auto q = host.keyedRead(0x03010021, key);
    EXPECT_TRUE(q);
    return q ? (*q)[2] >> 24 : 0;
  }
};

TEST_F(SimControl, BothControlFramesMoveTheMotorAndTheFinishedMoveIsLogged) {
  authorise(1700000123, "alice");
  EXPECT_EQ(progress(), 0u);  // nothing moves before the second control frame
  EXPECT_GT(control(object::kControlFirst, 2), 0xFFFFu);
  EXPECT_EQ(progress(), 0u);
  EXPECT_GT(control(object::kControlSecond, 2), 0xFFFFu);
  EXPECT_EQ(progress(), 40u);
  EXPECT_EQ(progress(), 80u);
  EXPECT_TRUE(lock.state().locked);
  EXPECT_TRUE(lock.state().log.empty());
  EXPECT_EQ(progress(), 100u);
  EXPECT_EQ(progress(), 100u);

  const LockState s = lock.state();
  EXPECT_FALSE(s.locked);
  ASSERT_EQ(s.log.size(), 1u);
  EXPECT_EQ(s.log[0], (LogEntry{1700000123, "alice", 2}));
}

TEST_F(SimControl, ControlNeedsTheCredentialsUnderTheLockKeyAndBothFramesInOrder) {
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  EXPECT_EQ(control(object::kControlFirst, 1), status::kNoCredentials);

  // Credential blocks under the supervisor key do not authorise a lock or unlock.
  const Bytes supervisor = lock.state().supervisorKey;
  ASSERT_GT(host.credentials(supervisor, 1, "boss"), 0xFFFFu);
  EXPECT_EQ(control(object::kControlFirst, 1), status::kNoCredentials);

  authorise();
  EXPECT_EQ(control(object::kControlSecond, 1), status::kOutOfOrder);
  EXPECT_EQ(control(object::kControlFirst, 3), status::kBadValue);
  EXPECT_GT(control(object::kControlFirst, 1), 0xFFFFu);
  EXPECT_EQ(control(object::kControlSecond, 2), status::kOutOfOrder);
  EXPECT_EQ(progress(), 0u);
}

TEST_F(SimFrames, KeyedRequestsNeedTheLockKeyAndASelectedUser) {
  EXPECT_EQ(host.keyedWrite(0x07040001, 0, key), status::kNoUser);
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  EXPECT_TRUE(host.keyedRead(0x07040001, key));

  const Bytes wrong = DeviceManager::enc(DeviceManager::toFixed16("not the password"),
                                         DeviceInfo(lock.state().id, true));
  EXPECT_EQ(host.keyedWrite(0x07040001, 0, wrong), status::kUnknownRequest);
  EXPECT_EQ(host.keyedWrite(0x07040001, 0, lock.state().supervisorKey), status::kUnknownRequest);

  // A new contact forgets the selection.
  ASSERT_TRUE(host.startContact());
  EXPECT_EQ(host.keyedWrite(0x07040001, 0, key), status::kNoUser);
}

TEST_F(SimFrames, RequestsTheLockDoesNotServeAreRefused) {
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  const std::pair<const char*, Words> cases[] = {
      {"keyed object in clear", clearRead(0x07040001)},
      {"clear object enciphered", encipher(fiveWords(0x09080005, 0), key)},
      {"unknown object", encipher(fiveWords(0x07040777, 0), key)},
      {"wrong value length", encipher(fiveWords(0x07020001, 0), key)},
      {"wrong type", encipher(fiveWords(0x05040001, 0), key)},
      {"read of a written object", encipher(fiveWords(0x03010121, 0), key)},
      {"write of a read object", encipher(fiveWords(0x87040001, 0), key)},
      {"log entry read before an index", encipher(fiveWords(0x08081813, 0), key)},
  };
  for (const auto& [what, frame] : cases) {
    EXPECT_LE(host.status(frame), 0xFFFFu) << what;
  }
}

TEST_F(SimFrames, MalformedFramesAreRefusedWithoutHarm) {
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  Words nameTooLong = userBlock("u");
  nameTooLong[2] = 0x91C81801;  // claims 200 bytes in a two-word argument
  struct Case {
    const char* what;
    Words frame;
    std::uint32_t status;
  };
  const Case cases[] = {
      {"more words claimed than written", {0x00208001, 1, 0x07040001, 0, 0}, status::kMalformed},
      {"unknown mode", {0x00080002, 1, 0x09080005}, status::kMalformed},
      {"length not whole words", {0x00070001, 1, 0x09080005}, status::kMalformed},
      {"enciphered part not whole blocks", {0x000C8001, 1, 0x07040001, 0}, status::kMalformed},
      {"no request word", {0x00040001, 1}, status::kMalformed},
      {"nothing after the header word", {}, status::kMalformed},
      {"select without its value word", {0x00080001, 1, 0x83011900}, status::kUnknownRequest},
      {"text longer than the frame", encipher(nameTooLong, key), status::kUnknownRequest},
  };
  // Stale words behind the mailbox must not complete a short frame: fill them first.
  ASSERT_TRUE(host.frame(encipher(testing::fiveWords(0x07040001, 0), key), 8));
  ASSERT_TRUE(host.call(0, Words(12, 0x07040001), 0));
  for (const auto& [what, frame, expected] : cases) {
    EXPECT_EQ(host.status(frame), expected) << what;
  }
  // The lock still serves a good frame afterwards.
  EXPECT_TRUE(host.keyedRead(0x07040001, key));
}

TEST_F(SimFrames, RandomFramesGetAnAnswerAndNeverBreakTheLock) {
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  ASSERT_GT(host.credentials(key, 1, "u"), 0xFFFFu);
  // Mostly consistent length words and requests the lock knows, with random lengths, values
  // and damage, so that frames get past the first checks.
  const std::uint32_t requests[] = {0x91001801, 0x83011900, 0x88081800, 0x85021811, 0x83010121,
                                    0x83010120, 0x05020010, 0x11281814, 0x90101902, 0x87041901};
  SeededRandom random(7);
  std::set<std::uint32_t> seen;
  for (int i = 0; i < 400; ++i) {
    const bool enciphered = i % 2 == 0;
    const std::uint32_t size =
        enciphered ? 1 + 4 * (1 + random.nextWord() % 3) : 3 + random.nextWord() % 8;
    Words frame(size);
    for (std::uint32_t& w : frame) {
      w = random.nextWord();
    }
    frame[0] = (size - 1) * 4 << 16 | (enciphered ? 0x8001 : 0x0001);
    frame[2] = requests[random.nextWord() % std::size(requests)];
    if (frame[2] == 0x91001801) {
      frame[2] |= (random.nextWord() % 64) << 16;
    }
    if (i % 7 == 0) {
      frame[random.nextWord() % size] ^= 1u << (random.nextWord() % 32);
    }
    const auto answer = host.frame(enciphered ? encipher(frame, key) : frame, 8);
    ASSERT_TRUE(answer) << i;
    const std::uint32_t s = (*answer)[1];
    EXPECT_TRUE(status::accepted(s) || (s >= status::kMalformed && s <= status::kOutOfOrder)) << i;
    seen.insert(status::accepted(s) ? 0x10000 : s);
  }
  EXPECT_GE(seen.size(), 5u);  // accepted and several kinds of refusal were reached
  EXPECT_TRUE(host.keyedRead(0x07040001, key));
}

TEST_F(SimFrames, MotorParametersAreStoredPerObject) {
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  const std::pair<std::uint32_t, std::uint32_t> writes[] = {
      {0x83011000, 0x02ABCDEF}, {0x85021001, 0x0E101234}, {0x85021007, 0x01F40000},
      {0x85021002, 0xFFFF0000}, {0x85021003, 0x00090000}, {0x85021004, 0x00040000},
      {0x85021005, 0x00050000}, {0x85021006, 0x00070000}};
  for (const auto& [request, valueWord] : writes) {
    EXPECT_GT(host.keyedWrite(request, valueWord, key), 0xFFFFu) << std::hex << request;
  }
  EXPECT_EQ(host.keyedWrite(0x83011000, 0x04000000, key), status::kBadValue);
  EXPECT_EQ(lock.state().motor, (MotorParameters{2, 3600, 0xFFFF, 9, 4, 5, 7, 500}));
}

class SimLog : public SimFrames {
 protected:
  static LockConfig preloaded() {
    LockConfig c;
    c.log = {{1, "", 1}, {0x100000002, "alice", 2}, {7, "abcdefghijklmnopqrstuvwx", 3}};
    return c;
  }
  SimLog() : SimFrames(preloaded()) {}
};

TEST_F(SimLog, EntriesReadBackWhereTheKitDecodesThem) {
  ASSERT_GT(host.select(kNormal), 0xFFFFu);
  const auto count = host.keyedRead(0x05021810, key);
  ASSERT_TRUE(count);
  EXPECT_EQ((*count)[2] >> 16, 3u);

  const auto& entries = lock.config().log;
  for (std::uint32_t index = 0; index < entries.size(); ++index) {
    const LogEntry& expected = entries[index];
    ASSERT_GT(host.keyedWrite(0x85021811, index << 16 | 0xBEEF, key), 0xFFFFu);
    const auto time = host.keyedRead(0x08081813, key);
    const auto name = host.keyedRead(0x11281814, key);
    const auto op = host.keyedRead(0x07041812, key);
    ASSERT_TRUE(time && name && op);
    EXPECT_EQ(std::uint64_t{(*time)[2]} << 32 | (*time)[3], expected.time);
    const std::uint32_t length = ((*name)[1] >> 16) & 0xFF;
    ASSERT_EQ(length, expected.user.size());
    std::string user;
    for (std::size_t i = 0; i < length; ++i) {
      user.push_back(static_cast<char>((*name)[2 + i / 4] >> (24 - 8 * (i % 4))));
    }
    EXPECT_EQ(user, expected.user);
    EXPECT_EQ((*op)[2] & 0xFF, expected.operation);
  }
  EXPECT_EQ(host.keyedWrite(0x85021811, 3u << 16, key), status::kBadValue);
}

}  // namespace
}  // namespace tavrix::sim
