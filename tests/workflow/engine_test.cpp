#include <any>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <asio/bind_cancellation_slot.hpp>
#include <asio/cancellation_signal.hpp>
#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/sim/lock_objects.h"
#include "tavrix/sim/simulated_lock.h"
#include "tests/support/run_sync.h"
#include "tests/workflow/workflow_fixture.h"

namespace tavrix::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kDiscovered = "discovered id=0123456789abcdef new=true rssi=64";
const std::string kPassword = sim::LockConfig{}.password;

// Forwards to a lock and runs a hook before each exchange.
class HookedTag : public NFCTag {
 public:
  HookedTag(NFCTag& inner, std::function<void()> hook) : inner_(inner), hook_(std::move(hook)) {}
  asio::awaitable<Bytes> transceive(Bytes data) override {
    hook_();
    co_return co_await inner_.transceive(std::move(data));
  }

 private:
  NFCTag& inner_;
  std::function<void()> hook_;
};

class EngineRun : public ::testing::Test {
 public:
  EngineRun() { lock.setTracing(true); }

  void process(std::any parameter = {}) { runSync(helper.process(std::move(parameter))); }

  // Frames the lock served or refused that asked for `object`.
  std::size_t requestsFor(std::uint16_t object) const {
    std::size_t n = 0;
    for (const auto& f : lock.frames()) {
      n += f.request && f.request->object() == object ? 1 : 0;
    }
    return n;
  }

  void leaveFieldAt(std::uint64_t exchange, sim::LeaveMode mode = sim::LeaveMode::THROW) {
    sim::Faults f = lock.faults();
    f.leaveFieldAt = exchange;
    f.leaveMode = mode;
    lock.setFaults(f);
  }

  void refuse(std::uint16_t object) {
    sim::Faults f = lock.faults();
    f.refusedObjects.insert(object);
    lock.setFaults(f);
  }

  std::shared_ptr<const ControlTask> unlockTask(std::optional<UserType> type = UserType::NORMAL,
                                                bool ignoreProgress = false) {
    return recordingControlTask(events, kPassword, type, Ctrl::UNLOCK, ignoreProgress);
  }

  sim::SimulatedLock lock;
  std::shared_ptr<Events> events = std::make_shared<Events>();
  std::shared_ptr<RecordingCallbacks> callbacks = std::make_shared<RecordingCallbacks>(events);
  GivenTagHelper helper{callbacks, borrow(lock), recordingPause(events)};
};

TEST_F(EngineRun, UnlockReportsEveryReadingFromDiscoveryToFinished) {
  ASSERT_TRUE(lock.state().locked);
  helper.setTask(unlockTask());
  process(7);

  EXPECT_THAT(*events,
              ElementsAre(kDiscovered, "charge OK 25 false", "charge OK 50 false",
                          "charge OK 75 false", "charge OK 100 true", "control OK none",
                          "control OK 25 false", "control OK 50 false", "control OK 75 false",
                          "control OK 100 true", "pause 2000", "finished"));
  EXPECT_FALSE(lock.state().locked);
  EXPECT_EQ(requestsFor(sim::object::kIdentity), 1u);
  ASSERT_EQ(helper.parameters.size(), 1u);
  EXPECT_EQ(std::any_cast<int>(helper.parameters[0]), 7);
}

TEST_F(EngineRun, IgnoredProgressIsStillFollowedToTheEnd) {
  helper.setTask(unlockTask(UserType::NORMAL, true));
  process();

  EXPECT_THAT(*events, ElementsAre(kDiscovered, "charge OK 25 false", "charge OK 50 false",
                                   "charge OK 75 false", "charge OK 100 true", "control OK none",
                                   "pause 2000", "finished"));
  EXPECT_EQ(requestsFor(sim::object::kMotorProgress), 4u);
  EXPECT_FALSE(lock.state().locked);
}

TEST_F(EngineRun, TaskHandedOverDuringTheDiscoveryLoopIsTakenByTheNextReading) {
  // The first reading found the slot empty; the task arrives in the middle of the second.
  bool discovered = false;
  callbacks->whenDiscovered = [&] { discovered = true; };
  auto late = unlockTask();
  NFCHelper* engine = nullptr;
  HookedTag tag(lock, [&] {
    if (discovered && late) {
      engine->setTask(std::exchange(late, nullptr));
    }
  });
  GivenTagHelper hooked(callbacks, borrow(tag), recordingPause(events));
  engine = &hooked;

  runSync(hooked.process({}));

  EXPECT_EQ(requestsFor(sim::object::kIdentity), 2u);
  EXPECT_EQ(std::count(events->begin(), events->end(), kDiscovered), 1);
  EXPECT_EQ(events->back(), "finished");
  EXPECT_FALSE(lock.state().locked);
}

TEST_F(EngineRun, TaskHandedOverAfterTheTakeIsDiscardedAtTheEnd) {
  auto events2 = std::make_shared<Events>();
  const auto second = recordingControlTask(events2, kPassword, UserType::NORMAL, Ctrl::UNLOCK);
  const auto first = std::make_shared<const GetVersionTask>(
      kPassword, UserType::NORMAL, [&](Result, std::optional<Words>) { helper.setTask(second); });
  helper.setTask(first);
  process();
  EXPECT_THAT(*events, ElementsAre(kDiscovered, "pause 2000", "finished"));

  // Had the slot kept the second task, this run would unlock the lock. It only reads the
  // identity until the tag leaves.
  events->clear();
  leaveFieldAt(lock.exchangeCount() + 60);
  process();
  EXPECT_THAT(*events, ElementsAre(kDiscovered, "pause 2000", "finished"));
  EXPECT_THAT(*events2, IsEmpty());
  EXPECT_TRUE(lock.state().locked);
}

TEST_F(EngineRun, TaskWithoutUserTypeFailsBeforeAnythingIsSelected) {
  helper.setTask(unlockTask(std::nullopt));
  process();
  EXPECT_THAT(*events, ElementsAre(kDiscovered, "charge ERROR none", "pause 2000", "finished"));
  EXPECT_EQ(requestsFor(sim::object::kUserType), 0u);
}

TEST_F(EngineRun, RefusedSelectionIsReportedAsErrorAndEndsTheRun) {
  refuse(sim::object::kUserType);
  helper.setTask(unlockTask());
  process();
  EXPECT_THAT(*events, ElementsAre(kDiscovered, "charge ERROR none", "pause 2000", "finished"));
  EXPECT_EQ(requestsFor(sim::object::kChargePresent), 0u);
}

TEST_F(EngineRun, FailingChargeReadingStopsBeforeControl) {
  refuse(sim::object::kChargePresent);
  helper.setTask(unlockTask());
  process();
  EXPECT_THAT(*events,
              ElementsAre(kDiscovered, "charge UNAUTHORIZED none", "pause 2000", "finished"));
  EXPECT_EQ(requestsFor(sim::object::kControlFirst), 0u);
  EXPECT_TRUE(lock.state().locked);
}

// However the tag goes away while the engine waits for a task, the run ends with onFinished.
TEST_F(EngineRun, TagLeavingDuringTheDiscoveryLoopEndsTheRun) {
  for (auto mode : {sim::LeaveMode::THROW, sim::LeaveMode::EMPTY_ANSWER}) {
    events->clear();
    leaveFieldAt(lock.exchangeCount() + 70, mode);  // in the middle of the third reading
    process();
    EXPECT_THAT(*events, ElementsAre(kDiscovered, "pause 2000", "finished"));
  }
}

TEST_F(EngineRun, RunWithoutAReachableLockOnlyFinishes) {
  GivenTagHelper noTag(callbacks, nullptr, recordingPause(events));
  helper.setTask(unlockTask());
  runSync(noTag.process({}));
  EXPECT_THAT(*events, ElementsAre("pause 2000", "finished"));

  events->clear();
  leaveFieldAt(1);  // the start command already fails
  helper.setTask(unlockTask());
  process();
  EXPECT_THAT(*events, ElementsAre("pause 2000", "finished"));
}

// A host-made kind passes selection, then ends the run without any report for the task.
TEST_F(EngineRun, TaskOfAnUnknownKindEndsTheRunQuietly) {
  struct HostTask : CommonTask {
    explicit HostTask(std::shared_ptr<Events> e) : events(std::move(e)) {}
    const std::string& password() const override { return kPassword; }
    std::optional<UserType> userType() const override { return UserType::NORMAL; }
    void onSelectError() const override { events->push_back("host select error"); }
    std::shared_ptr<Events> events;
  };
  helper.setTask(std::make_shared<const HostTask>(events));
  process();
  EXPECT_THAT(*events, ElementsAre(kDiscovered, "pause 2000", "finished"));
  EXPECT_EQ(requestsFor(sim::object::kUserType), 1u);
}

// Whoever throws (tag supplier, owner, task), the run ends quietly and still finishes, and the
// next run is admitted.
struct ErrorCase {
  const char* where;
  std::function<void(EngineRun&)> arm;
  std::vector<std::string> expected;
};
void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.where;
}

class ErrorRaised : public EngineRun, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ErrorRaised, EndsTheRunQuietly) {
  GetParam().arm(*this);
  EXPECT_NO_THROW(process());
  EXPECT_EQ(*events, GetParam().expected);
  EXPECT_TRUE(lock.state().locked);

  events->clear();
  helper.whenAsked = nullptr;
  callbacks->whenDiscovered = nullptr;
  callbacks->throwOnFinished = false;
  leaveFieldAt(lock.exchangeCount() + 1);
  process();
  EXPECT_THAT(*events, ElementsAre("pause 2000", "finished"));
}

void boom() {
  throw std::runtime_error("boom");
}

INSTANTIATE_TEST_SUITE_P(
    Anywhere, ErrorRaised,
    ::testing::Values(ErrorCase{"TagSupplier",
                                [](EngineRun& r) { r.helper.whenAsked = boom; },
                                {"pause 2000", "finished"}},
                      ErrorCase{"OnDiscovered",
                                [](EngineRun& r) {
                                  r.helper.setTask(r.unlockTask());
                                  r.callbacks->whenDiscovered = boom;
                                },
                                {kDiscovered, "pause 2000", "finished"}},
                      ErrorCase{"TaskCallback",
                                [](EngineRun& r) {
                                  r.helper.setTask(std::make_shared<const ControlTask>(
                                      r.unlockTask()->withChargeCallback(
                                          [events = r.events](Result, std::optional<ChargeLevel>) {
                                            events->push_back("charge");
                                            boom();
                                          })));
                                },
                                {kDiscovered, "charge", "pause 2000", "finished"}},
                      // Errors of onFinished itself stay inside the engine too.
                      ErrorCase{"OnFinished",
                                [](EngineRun& r) {
                                  r.callbacks->throwOnFinished = true;
                                  r.leaveFieldAt(1);
                                },
                                {"pause 2000", "finished"}}),
    [](const auto& param) { return std::string(param.param.where); });

// Running out of memory is the one error the caller gets, once the run has ended as usual.
TEST_F(EngineRun, OutOfMemoryReachesTheCallerAfterTheFinalSteps) {
  helper.whenAsked = [] { throw std::bad_alloc(); };
  EXPECT_THROW(process(), std::bad_alloc);
  EXPECT_THAT(*events, ElementsAre("pause 2000", "finished"));

  events->clear();
  helper.whenAsked = nullptr;
  leaveFieldAt(1);
  process();
  EXPECT_THAT(*events, ElementsAre("pause 2000", "finished"));
}

// Each maintenance flow issues its one command and reports it once, between onDiscovered and
// the final steps.
struct FlowCase {
  const char* name;
  std::function<std::shared_ptr<const CommonTask>(EngineRun&)> task;
  std::string report;
  std::function<void(const sim::LockState&)> check = [](const sim::LockState&) {};
};
void PrintTo(const FlowCase& c, std::ostream* os) {
  *os << c.name;
}

class MaintenanceFlow : public EngineRun, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(MaintenanceFlow, ReportsItsOneCommandOnce) {
  sim::LockState state = lock.state();
  state.log = {{1700000000, "u", 2}, {1700000100, "u", 1}};
  lock.setState(state);
  helper.setTask(GetParam().task(*this));
  process();
  EXPECT_THAT(*events, ElementsAre(kDiscovered, GetParam().report, "pause 2000", "finished"));
  GetParam().check(lock.state());
}

const std::string kWrong = "not the password";
const Parameters kParameters(Met::TIMER, CV::HIGH, 500, 10, 20);

INSTANTIATE_TEST_SUITE_P(
    EachKind, MaintenanceFlow,
    ::testing::Values(
        FlowCase{"SetKey",
                 [](EngineRun& r) {
                   return std::make_shared<const SetKeyTask>("654321", UserType::SUPERVISOR,
                                                             sim::LockConfig{}.supervisorSecret,
                                                             recordingResult(r.events));
                 },
                 "result OK",
                 [](const sim::LockState& s) {
                   // The key installed is the session key of the task's password.
                   EXPECT_EQ(s.key, DeviceManager::enc(DeviceManager::toFixed16("654321"),
                                                       DeviceInfo(s.id, s.isNew)));
                 }},
        FlowCase{"SetKeyRefused",
                 [](EngineRun& r) {
                   return std::make_shared<const SetKeyTask>(kPassword, UserType::SUPERVISOR,
                                                             kWrong, recordingResult(r.events));
                 },
                 "result UNAUTHORIZED",
                 [](const sim::LockState& s) { EXPECT_EQ(s.key, sim::initialState({}).key); }},
        FlowCase{"SetParameters",
                 [](EngineRun& r) {
                   return std::make_shared<const SetParametersTask>(
                       kPassword, UserType::SUPERVISOR, kParameters, recordingResult(r.events));
                 },
                 "result OK",
                 [](const sim::LockState& s) {
                   EXPECT_EQ(s.motor.method, 3);
                   EXPECT_EQ(s.motor.clampingVoltage, 3600);
                   EXPECT_EQ(s.motor.totalMotorRuntime, 500);
                   EXPECT_EQ(s.motor.timerP1, 10);
                   EXPECT_EQ(s.motor.timerP2, 20);
                 }},
        FlowCase{"SetParametersRefused",
                 [](EngineRun& r) {
                   return std::make_shared<const SetParametersTask>(
                       kWrong, UserType::SUPERVISOR, kParameters, recordingResult(r.events));
                 },
                 "result UNAUTHORIZED",
                 [](const sim::LockState& s) { EXPECT_EQ(s.motor, sim::MotorParameters{}); }},
        FlowCase{"GetLog",
                 [](EngineRun& r) {
                   return std::make_shared<const GetLogTask>(kPassword, UserType::NORMAL,
                                                             recordingLog(r.events));
                 },
                 "log OK 2"},
        FlowCase{"GetLogRefused",
                 [](EngineRun& r) {
                   return std::make_shared<const GetLogTask>(kWrong, UserType::NORMAL,
                                                             recordingLog(r.events));
                 },
                 "log UNAUTHORIZED none"},
        FlowCase{"GetVersion",
                 [](EngineRun& r) {
                   return std::make_shared<const GetVersionTask>(kPassword, UserType::NORMAL,
                                                                 recordingWords(r.events));
                 },
                 "words OK [1, 0, 2, 0]"},
        FlowCase{"GetVersionRefused",
                 [](EngineRun& r) {
                   return std::make_shared<const GetVersionTask>(kWrong, UserType::NORMAL,
                                                                 recordingWords(r.events));
                 },
                 "words UNAUTHORIZED none"}),
    [](const auto& param) { return std::string(param.param.name); });

// A numbered function is a raw exchange: its words go out as given, and the 16 words read back
// come to the owner as they are.
class CallFunction : public EngineRun {
 public:
  std::optional<Result> result;
  std::optional<Words> answer;

  void call(std::uint8_t index, Words data) {
    helper.setTask(std::make_shared<const CallFunctionTask>(
        "", UserType::NORMAL, std::move(data), index, [this](Result r, std::optional<Words> w) {
          EXPECT_FALSE(result.has_value()) << "reported twice";
          result = r;
          answer = std::move(w);
        }));
    process();
    EXPECT_EQ(events->back(), "finished");
  }
};

TEST_F(CallFunction, WritesTheDataAndGetsTheSixteenAnswerWords) {
  Words data{1};  // write the custom-data block
  for (std::uint32_t i = 1; i <= sim::kCustomDataWords; ++i) {
    data.push_back(0x01010101u * i);
  }
  call(sim::function::kCustomData, data);

  ASSERT_EQ(result, Result::OK);
  ASSERT_TRUE(answer.has_value());
  ASSERT_EQ(answer->size(), 16u);
  EXPECT_EQ((*answer)[1], sim::status::kAccepted | sim::function::kCustomData);
  EXPECT_TRUE(std::equal(data.begin() + 1, data.end(), answer->begin() + 2));
  EXPECT_EQ(lock.state().customData[13], 0x0E0E0E0Eu);
}

TEST_F(CallFunction, RefusalInTheStatusWordIsLeftToTheOwner) {
  call(99, {0});
  ASSERT_EQ(result, Result::OK);
  ASSERT_TRUE(answer.has_value());
  ASSERT_EQ(answer->size(), 16u);
  EXPECT_EQ((*answer)[1], sim::status::kUnknownFunction);
}

TEST_F(CallFunction, FailedExchangeIsReportedWithoutWords) {
  // init 2, getRssi 4, getInfo 22, select 8: the call's first word write fails.
  leaveFieldAt(37);
  call(sim::function::kCustomData, {2});
  EXPECT_EQ(result, Result::ERROR);
  EXPECT_EQ(answer, std::nullopt);
}

// Cancelling a run through Asio still reaches onFinished, skips the pause, and leaves the engine
// free for the next run.
TEST_F(EngineRun, CancelledRunStillFinishesAndReleasesTheEngine) {
  asio::io_context ctx;
  asio::cancellation_signal cancel;
  callbacks->whenDiscovered = [&] { cancel.emit(asio::cancellation_type::terminal); };
  std::optional<std::exception_ptr> outcome;
  helper.setTask(unlockTask());
  asio::co_spawn(
      ctx, helper.process({}),
      asio::bind_cancellation_slot(cancel.slot(), [&](std::exception_ptr e) { outcome = e; }));
  ctx.run();

  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(*outcome, nullptr);
  EXPECT_THAT(*events, ElementsAre(kDiscovered, "finished"));
  EXPECT_TRUE(lock.state().locked);

  // The slot was emptied and the run lock released: the next run is admitted and finds no task.
  events->clear();
  callbacks->whenDiscovered = nullptr;
  leaveFieldAt(lock.exchangeCount() + 30);
  process();
  EXPECT_THAT(*events, ElementsAre(kDiscovered, "pause 2000", "finished"));
  EXPECT_TRUE(lock.state().locked);
}

}  // namespace
}  // namespace tavrix::testing
