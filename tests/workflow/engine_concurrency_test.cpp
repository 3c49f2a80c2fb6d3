#include <any>
#include <future>
#include <memory>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tavrix/sim/simulated_lock.h"
#include "tests/support/run_sync.h"
#include "tests/workflow/workflow_fixture.h"

namespace tavrix::testing {
namespace {

using ::testing::ElementsAre;

constexpr const char* kDiscovered = "discovered id=0123456789abcdef new=true rssi=64";
const std::string kPassword = sim::LockConfig{}.password;

class ConcurrentRuns : public ::testing::Test {
 protected:
  void leaveFieldAt(std::uint64_t exchange) {
    sim::Faults f = lock.faults();
    f.leaveFieldAt = exchange;
    lock.setFaults(f);
  }

  sim::SimulatedLock lock;
  std::shared_ptr<Events> events = std::make_shared<Events>();
  std::shared_ptr<RecordingCallbacks> callbacks = std::make_shared<RecordingCallbacks>(events);
  GivenTagHelper helper{callbacks, borrow(lock), recordingPause(events)};
};

// A second process() while a run holds the engine returns at once: it asks for no tag, sends
// nothing and reports nothing. The run lock taken on one thread is released there and taken
// again on the other.
TEST_F(ConcurrentRuns, SecondRunIsRefusedWithoutAWord) {
  std::promise<void> firstAskedForTag;
  std::promise<void> secondReturned;
  helper.whenAsked = [&, released = secondReturned.get_future().share()] {
    firstAskedForTag.set_value();
    released.wait();
  };
  helper.setTask(
      std::make_shared<const GetVersionTask>(kPassword, UserType::NORMAL, recordingWords(events)));

  std::thread first([&] { runSync(helper.process(1)); });
  firstAskedForTag.get_future().wait();
  std::thread second([&] {
    runSync(helper.process(2));
    secondReturned.set_value();
  });
  second.join();
  first.join();

  EXPECT_THAT(*events, ElementsAre(kDiscovered, "words OK [1, 0, 2, 0]", "pause 2000", "finished"));
  ASSERT_EQ(helper.parameters.size(), 1u);
  EXPECT_EQ(std::any_cast<int>(helper.parameters[0]), 1);

  events->clear();
  helper.whenAsked = nullptr;
  leaveFieldAt(lock.exchangeCount() + 1);
  std::thread third([&] { runSync(helper.process(3)); });
  third.join();
  EXPECT_THAT(*events, ElementsAre("pause 2000", "finished"));
}

// The owner hands the task over from its own thread while the run keeps reading the identity.
TEST_F(ConcurrentRuns, TaskHandedOverFromAnotherThreadIsRun) {
  std::promise<void> discovered;
  callbacks->whenDiscovered = [&] { discovered.set_value(); };
  std::thread run([&] { runSync(helper.process({})); });

  discovered.get_future().wait();
  helper.setTask(
      std::make_shared<const GetVersionTask>(kPassword, UserType::NORMAL, recordingWords(events)));
  run.join();

  EXPECT_THAT(*events, ElementsAre(kDiscovered, "words OK [1, 0, 2, 0]", "pause 2000", "finished"));
}

}  // namespace
}  // namespace tavrix::testing
