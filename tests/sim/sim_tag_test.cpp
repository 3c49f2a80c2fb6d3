// The tag front end and the lock functions outside command frames, through the tag link.
#include <gtest/gtest.h>

#include "tavrix/sim/lock_objects.h"
#include "tavrix/sim/simulated_lock.h"
#include "tavrix/taglink/nfc_util.h"
#include "tests/sim/lock_host.h"
#include "tests/support/run_sync.h"
#include "tests/support/scripted_tag.h"

namespace tavrix::sim {
namespace {

using tavrix::testing::hex;
using tavrix::testing::runSync;
using testing::LockHost;

Bytes exchange(SimulatedLock& lock, const std::string& command) {
  return runSync(lock.transceive(hex(command)));
}

TEST(SimTagFrontEnd, AnswersRawCommandsWithTheirExactFraming) {
  LockConfig config;
  config.startAddress = 0x00A1B2C4;
  SimulatedLock lock(config);
  const std::pair<const char*, const char*> cases[] = {
      {"47 11", "47 47"},
      {"60 00 00 00 00", "60 00 A1 B2 C4 60"},
      {"70 00 00 20 00 DE AD BE EF", "70 70"},
      {"80 00 00 20 00", "80 DE AD BE EF 80"},
      {"80 00 00 20 01", "80 AD BE EF 00 80"},  // byte-addressed memory, unwritten bytes 0
      {"80 FF FF FF FC", "80 00 00 00 00 80"},
      // Malformed: wrong lengths, unknown opcodes and arguments get no answer.
      {"47 12", ""},
      {"47 11 00", ""},
      {"60 00 00 00", ""},
      {"60 01 00 00 00", ""},
      {"60 02 00 00 01", ""},
      {"70 00 00 20 00 DE AD BE", ""},
      {"80 00 00 20", ""},
      {"81 00 00 20 00", ""},
      {"", ""},
  };
  for (const auto& [command, answer] : cases) {
    EXPECT_EQ(exchange(lock, command), hex(answer)) << command;
  }
  EXPECT_EQ(lock.exchangeCount(), std::size(cases));
}

TEST(SimTagFrontEnd, TriggerEchoesTheHeaderWordAndCountsOneExchangePerWord) {
  SimulatedLock lock;
  LockHost host(lock);
  ASSERT_TRUE(host.startContact());
  const std::uint64_t before = lock.exchangeCount();
  const Words frame{0x00080001, 1, 0x09080005};
  // write = header + 3 words + trigger; NFCUtil checks the echo 60 60 00 00 00 60.
  ASSERT_TRUE(runSync(NFCUtil::write(lock, lock.config().startAddress, 0, frame)));
  EXPECT_EQ(lock.exchangeCount() - before, 5u);
  ASSERT_TRUE(runSync(NFCUtil::read(lock, lock.config().startAddress, 6)));
  EXPECT_EQ(lock.exchangeCount() - before, 11u);

  // The echo is the word at the start address, whatever the host wrote there.
  EXPECT_EQ(exchange(lock, "70 00 00 10 00 60 00 00 2A"), hex("70 70"));
  EXPECT_EQ(exchange(lock, "60 02 00 00 00"), hex("60 60 00 00 2A 60"));
}

TEST(SimTagFrontEnd, AnswersTheSignalStrengthAtTheStartAddress) {
  for (std::uint32_t rssi : {0x0000u, 0x0040u, 0xFFFFu, 0x00010000u}) {
    LockConfig config;
    config.rssi = rssi;
    SimulatedLock lock(config);
    LockHost host(lock);
    ASSERT_TRUE(host.startContact());
    EXPECT_EQ(host.call(function::kRssi, {0}, 1), Words{rssi});
  }
}

TEST(SimTagFrontEnd, UnknownLockFunctionsAndBadHeadersAreRefused) {
  SimulatedLock lock;
  LockHost host(lock);
  ASSERT_TRUE(host.startContact());
  const auto answer = host.call(7, {1, 2, 3}, 2);
  ASSERT_TRUE(answer);
  EXPECT_EQ((*answer)[1], status::kUnknownFunction);

  // A header word that is not 60 00 00 cc makes the lock refuse whatever follows.
  EXPECT_EQ(exchange(lock, "70 00 00 10 00 12 34 56 00"), hex("70 70"));
  EXPECT_EQ(exchange(lock, "60 02 00 00 00"), hex("60 12 34 56 00 60"));
  EXPECT_EQ(exchange(lock, "80 00 00 10 04"), hex("80 00 00 00 01 80"));
}

TEST(SimCustomData, WritesFourteenWordsAndReadsThemBack) {
  SimulatedLock lock;
  LockHost host(lock);
  ASSERT_TRUE(host.startContact());
  Words data(14);
  for (std::uint32_t i = 0; i < 14; ++i) {
    data[i] = 0x01020304u * (i + 1);
  }
  Words write{1};
  write.insert(write.end(), data.begin(), data.end());
  const auto written = host.call(function::kCustomData, write, 16);
  ASSERT_TRUE(written);
  EXPECT_GT((*written)[1], 0xFFFFu);

  // A new contact reads them back with 14 zero words behind the read configuration word.
  ASSERT_TRUE(host.startContact());
  Words read(15, 0);
  read[0] = 2;
  const auto answer = host.call(function::kCustomData, read, 16);
  ASSERT_TRUE(answer);
  EXPECT_GT((*answer)[1], 0xFFFFu);
  EXPECT_EQ(Words(answer->begin() + 2, answer->end()), data);
  EXPECT_EQ(lock.state().customData[13], data[13]);

  // An unknown configuration word and a write that stops short are refused; nothing changes.
  EXPECT_EQ((*host.call(function::kCustomData, {3}, 2))[1], status::kBadValue);
  EXPECT_EQ((*host.call(function::kCustomData, {1, 9, 9}, 2))[1], status::kMalformed);
  EXPECT_EQ(lock.state().customData[0], data[0]);
}

}  // namespace
}  // namespace tavrix::sim
