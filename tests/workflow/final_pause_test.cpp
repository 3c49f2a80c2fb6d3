#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>

#include "tavrix/sim/simulated_lock.h"
#include "tavrix/workflow/pause.h"
#include "tests/workflow/workflow_fixture.h"

namespace tavrix::testing {
namespace {

using ::testing::ElementsAre;

// A clock that moves only when told to.
struct ManualClock {
  using rep = std::int64_t;
  using period = std::milli;
  using duration = std::chrono::milliseconds;
  using time_point = std::chrono::time_point<ManualClock>;
  [[maybe_unused]] static constexpr bool is_steady = true;

  static time_point now() { return time_point(duration(ticks.load())); }
  static void advance(duration d) { ticks += d.count(); }

  static inline std::atomic<rep> ticks{0};
};

// Have the timer queue look at the manual clock on every turn of the event loop.
struct LookEveryTurn {
  static ManualClock::duration to_wait_duration(const ManualClock::duration&) {
    return ManualClock::duration::zero();
  }
  static ManualClock::duration to_wait_duration(const ManualClock::time_point&) {
    return ManualClock::duration::zero();
  }
};

// The engine's own timer pause, on a clock the test moves: onFinished comes once 2000 ms have
// passed, not before.
TEST(FinalPause, OnFinishedWaitsTwoSecondsOfTheTimersClock) {
  sim::SimulatedLock lock;
  auto events = std::make_shared<Events>();
  auto callbacks = std::make_shared<RecordingCallbacks>(events);
  GivenTagHelper helper(callbacks, borrow(lock), timerPause<ManualClock, LookEveryTurn>());
  helper.setTask(std::make_shared<const GetVersionTask>(sim::LockConfig{}.password,
                                                        UserType::NORMAL, recordingWords(events)));

  asio::io_context ctx;
  bool done = false;
  asio::co_spawn(ctx, helper.process({}), [&](std::exception_ptr) { done = true; });
  ctx.poll();
  ASSERT_EQ(events->size(), 2u);  // discovered, version
  EXPECT_EQ(events->back(), "words OK [1, 0, 2, 0]");

  ManualClock::advance(std::chrono::milliseconds(1999));
  for (int turn = 0; turn < 10; ++turn) {
    ctx.poll();
  }
  EXPECT_EQ(events->size(), 2u);
  EXPECT_FALSE(done);

  ManualClock::advance(std::chrono::milliseconds(1));
  ctx.run();
  EXPECT_EQ(events->back(), "finished");
  EXPECT_TRUE(done);
}

}  // namespace
}  // namespace tavrix::testing
