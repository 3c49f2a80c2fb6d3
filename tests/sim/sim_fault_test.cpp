// Injected faults: leaving the field, corrupted framing, refused objects, latency.
#include <gtest/gtest.h>

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>
#include <asio/io_context.hpp>

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

// Designated initialisers would leave -Wmissing-field-initializers unhappy.
template <class Edit>
Faults faultsWith(Edit edit) {
  Faults f;
  edit(f);
  return f;
}

TEST(SimFaults, LeavingTheFieldFailsThatAndEveryLaterExchange) {
  for (LeaveMode mode : {LeaveMode::THROW, LeaveMode::EMPTY_ANSWER}) {
    SimulatedLock lock;
    lock.setTracing(true);
    lock.setFaults(faultsWith([&](Faults& f) {
      f.leaveFieldAt = 3;
      f.leaveMode = mode;
    }));
    EXPECT_EQ(runSync(lock.transceive(hex("70 00 00 20 00 00 00 00 01"))), hex("70 70"));
    EXPECT_TRUE(runSync(NFCUtil::start(lock)));
    // Exchange 3 would write 2 into the word; it never reaches the lock.
    const Bytes write = hex("70 00 00 20 00 00 00 00 02");
    if (mode == LeaveMode::THROW) {
      EXPECT_THROW(runSync(lock.transceive(write)), std::runtime_error);
    } else {
      EXPECT_EQ(runSync(lock.transceive(write)), Bytes{});
    }
    EXPECT_FALSE(runSync(NFCUtil::start(lock)));
    EXPECT_FALSE(runSync(NFCUtil::read(lock, 0x2000, 1)));
    EXPECT_EQ(lock.exchangeCount(), 5u);
    EXPECT_EQ(lock.rawTrace()[2].raised, mode == LeaveMode::THROW);

    lock.setFaults({});  // back in the field
    EXPECT_EQ(runSync(NFCUtil::read(lock, 0x2000, 1)), Words{1});
  }
}

TEST(SimFaults, CorruptedAnswerFailsOnlyItsOwnExchange) {
  SimulatedLock lock;
  lock.setFaults(faultsWith([&](Faults& f) { f.corruptAnswerAt = 2; }));
  EXPECT_TRUE(runSync(NFCUtil::start(lock)));
  EXPECT_EQ(runSync(lock.transceive(hex("47 11"))), hex("47 46"));
  EXPECT_TRUE(runSync(NFCUtil::start(lock)));

  // A write whose trigger answer is corrupted fails, although the lock served it.
  LockHost host(lock);
  ASSERT_TRUE(host.startContact());
  lock.setFaults(faultsWith([&](Faults& f) { f.corruptAnswerAt = lock.exchangeCount() + 5; }));
  const std::uint32_t start = lock.config().startAddress;
  EXPECT_FALSE(runSync(NFCUtil::write(lock, start, 0, {0x00080001, 1, 0x09080005})));
  const auto statusWord = runSync(NFCUtil::read(lock, start + 4, 1));
  ASSERT_TRUE(statusWord);
  EXPECT_GT((*statusWord)[0], 0xFFFFu);
}

TEST(SimFaults, RefusedObjectIsRefusedWhateverTheKey) {
  SimulatedLock lock;
  lock.setFaults(faultsWith([&](Faults& f) {
    f.refusedObjects = {object::kIdentity, object::kChargeTarget};
  }));
  LockHost host(lock);
  ASSERT_TRUE(host.startContact());
  EXPECT_EQ(host.status(testing::clearRead(0x09080005), 4), status::kRefusedObject);
  EXPECT_GT(host.status(testing::clearRead(0x03010030), 4), 0xFFFFu);
  ASSERT_GT(host.select(1), 0xFFFFu);
  const Bytes key = lock.state().key;
  EXPECT_EQ(host.keyedWrite(0x05020011, 0, key), status::kRefusedObject);
  EXPECT_TRUE(host.keyedRead(0x05020010, key));
}

TEST(SimFaults, LatencyWaitsOnTheCallersExecutorBeforeTheLockActs) {
  SimulatedLock lock;
  lock.setFaults(faultsWith([&](Faults& f) { f.latency = std::chrono::hours(1); }));
  asio::io_context ctx;
  bool done = false;
  asio::co_spawn(
      ctx,
      [&]() -> asio::awaitable<void> {
        co_await lock.transceive(hex("47 11"));
        done = true;
      },
      asio::detached);
  ctx.poll();
  // The exchange waits on a timer of `ctx`, not in a blocked thread, and has not reached the lock.
  EXPECT_FALSE(done);
  EXPECT_EQ(lock.exchangeCount(), 0u);
  ctx.stop();

  // A short latency only delays the answer.
  SimulatedLock quick;
  quick.setFaults(faultsWith([&](Faults& f) { f.latency = std::chrono::milliseconds(1); }));
  EXPECT_EQ(runSync(quick.transceive(hex("47 11"))), hex("47 47"));
  EXPECT_EQ(quick.exchangeCount(), 1u);
}

}  // namespace
}  // namespace tavrix::sim
