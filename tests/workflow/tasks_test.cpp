#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "tavrix/workflow/control_task.h"
#include "tavrix/workflow/maintenance_tasks.h"

namespace tavrix {
namespace {

// Tasks are immutable however they are held: they can be copied (the with-ers) but never
// assigned over.
static_assert(std::is_copy_constructible_v<ControlTask> &&
              !std::is_copy_assignable_v<ControlTask> && !std::is_move_assignable_v<ControlTask>);
static_assert(!std::is_copy_assignable_v<SetKeyTask> &&
              !std::is_copy_assignable_v<SetParametersTask> &&
              !std::is_copy_assignable_v<GetLogTask> &&
              !std::is_copy_assignable_v<GetVersionTask> &&
              !std::is_copy_assignable_v<CallFunctionTask>);

// Every kind reports a failed selection through its own callback, exactly once, with ERROR;
// CallFunctionTask stays silent.
TEST(TaskSelectError, EachKindReportsThroughItsOwnCallback) {
  std::vector<std::string> calls;
  const auto note = [&calls](std::string what) { calls.push_back(std::move(what)); };
  const auto resultText = [](Result r, bool hasValue) {
    return std::string(name(r)) + (hasValue ? " value" : " none");
  };

  const ControlTask control(
      "pw", UserType::NORMAL, Ctrl::UNLOCK, false,
      [&](Result r, std::optional<ChargeLevel> v) {
        note("charge " + resultText(r, v.has_value()));
      },
      [&](Result r, std::optional<ControlProgress> v) {
        note("control " + resultText(r, v.has_value()));
      });
  const SetKeyTask setKey("pw", UserType::SUPERVISOR, "s",
                          [&](Result r) { note("setKey " + std::string(name(r))); });
  const SetParametersTask setParameters(
      "pw", UserType::SUPERVISOR, Parameters(Met::TIMER, CV::HIGH, 10, 1, 2),
      [&](Result r) { note("setParameters " + std::string(name(r))); });
  const GetLogTask getLog("pw", UserType::NORMAL,
                          [&](Result r, std::optional<std::vector<DeviceLog>> v) {
                            note("getLog " + resultText(r, v.has_value()));
                          });
  const GetVersionTask getVersion("pw", UserType::NORMAL, [&](Result r, std::optional<Words> v) {
    note("getVersion " + resultText(r, v.has_value()));
  });
  const CallFunctionTask callFunction(
      "pw", UserType::NORMAL, {1, 2}, 4,
      [&](Result r, std::optional<Words> v) { note("call " + resultText(r, v.has_value())); });

  const std::vector<std::pair<const CommonTask*, std::vector<std::string>>> cases = {
      {&control, {"charge ERROR none"}},         {&setKey, {"setKey ERROR"}},
      {&setParameters, {"setParameters ERROR"}}, {&getLog, {"getLog ERROR none"}},
      {&getVersion, {"getVersion ERROR none"}},  {&callFunction, {}},
  };
  for (const auto& [task, expected] : cases) {
    calls.clear();
    task->onSelectError();
    EXPECT_EQ(calls, expected) << task->toString();
  }
}

TEST(TaskCallback, CopiesShareIdentityWhileSeparateWrapsDiffer) {
  int hits = 0;
  const auto count = [&hits](Result) { ++hits; };
  const ResultCallback a(count);
  const ResultCallback copy = a;
  const ResultCallback b(count);
  EXPECT_EQ(a, copy);
  EXPECT_EQ(a.hashCode(), copy.hashCode());
  EXPECT_NE(a, b);
  copy(Result::OK);
  EXPECT_EQ(hits, 1);

  // Without a function there is nothing to call, and nothing to fail.
  const ResultCallback none;
  EXPECT_NO_THROW(none(Result::OK));
  EXPECT_EQ(none, ResultCallback(std::function<void(Result)>()));
  EXPECT_EQ(none.toString(), "null");
}

class TaskIdentity : public ::testing::Test {
 protected:
  ControlTask::ChargeCallback charge = [](Result, std::optional<ChargeLevel>) {};
  ControlTask::ControlCallback control = [](Result, std::optional<ControlProgress>) {};
  WordsCallback words = [](Result, std::optional<Words>) {};
  ControlTask task{"1234", UserType::NORMAL, Ctrl::UNLOCK, false, charge, control};
};

TEST_F(TaskIdentity, EqualFieldsAndCallbacksMakeEqualTasks) {
  const ControlTask same("1234", UserType::NORMAL, Ctrl::UNLOCK, false, charge, control);
  EXPECT_EQ(task, same);
  EXPECT_EQ(task.hashCode(), same.hashCode());

  // A fresh callback wrapping an identical lambda is another callback.
  const ControlTask otherCallback =
      task.withChargeCallback([](Result, std::optional<ChargeLevel>) {});
  EXPECT_NE(task, otherCallback);
  EXPECT_NE(task.hashCode(), otherCallback.hashCode());
}

TEST_F(TaskIdentity, CopyChangesOnlyTheFieldsGiven) {
  const ControlTask copy = task.withCtrl(Ctrl::LOCK).withUserType(std::nullopt);
  EXPECT_EQ(copy.ctrl(), Ctrl::LOCK);
  EXPECT_EQ(copy.userType(), std::nullopt);
  EXPECT_EQ(copy.password(), "1234");
  EXPECT_EQ(copy.chargeCallback(), charge);
  EXPECT_EQ(copy.controlCallback(), control);
  EXPECT_NE(copy, task);
  EXPECT_EQ(copy.withCtrl(Ctrl::UNLOCK).withUserType(UserType::NORMAL), task);

  const std::vector<ControlTask> changed = {
      task.withPassword("12345"), task.withUserType(UserType::SUPERVISOR),
      task.withIgnoreProgress(true), task.withControlCallback({})};
  for (const auto& c : changed) {
    EXPECT_NE(c, task) << c.toString();
  }
}

TEST_F(TaskIdentity, KindsNeverEqualEachOther) {
  const GetVersionTask version("1234", UserType::NORMAL, words);
  const CallFunctionTask call("1234", UserType::NORMAL, {}, 0, words);
  const CommonTask& a = version;
  const CommonTask& b = call;
  EXPECT_NE(a, b);
  EXPECT_NE(b, a);
  EXPECT_EQ(a, GetVersionTask("1234", UserType::NORMAL, words));
}

TEST_F(TaskIdentity, WordListsAndParametersCompareByValue) {
  const CallFunctionTask call("", std::nullopt, {1, 2, 3}, 7, words);
  EXPECT_EQ(call, call.withData({1, 2, 3}));
  EXPECT_NE(call, call.withData({1, 2}));
  EXPECT_NE(call, call.withIndex(8));

  const ResultCallback done = [](Result) {};
  const SetParametersTask set("", UserType::SUPERVISOR, Parameters(Met::SINGLE, CV::LOW, 1, 2, 3),
                              done);
  EXPECT_EQ(set, set.withParameters(Parameters(Met::SINGLE, CV::LOW, 1, 2, 3)));
  EXPECT_NE(set, set.withParameters(Parameters(Met::SINGLE, CV::LOW, 1, 2, 4)));
}

// The fold, worked by hand: h = 31·h + field, from the first field; a Boolean is 1231/1237, an
// absent user type or callback 0, an enumeration constant its ordinal + 1, a word list
// 31·h + word from 1.
TEST(TaskHash, FoldsFieldsInDeclarationOrder) {
  // "a" = 97
  EXPECT_EQ(GetLogTask("a", std::nullopt, {}).hashCode(), 97 * 31 * 31);
  // [] = 1; NORMAL = 1; index 4
  EXPECT_EQ(CallFunctionTask("", UserType::NORMAL, {}, 4, {}).hashCode(),
            ((0 * 31 + 1) * 31 + 1) * 31 * 31 + 4 * 31);
  // "" = 0; SUPERVISOR = 2; UNLOCK = 2; true = 1231
  EXPECT_EQ(ControlTask("", UserType::SUPERVISOR, Ctrl::UNLOCK, true, {}, {}).hashCode(),
            ((2 * 31 + 2) * 31 + 1231) * 31 * 31);
}

TEST_F(TaskIdentity, TextFormsListFieldsInDeclarationOrder) {
  EXPECT_EQ(task.toString(),
            "ControlTask(password=1234, userType=NORMAL, ctrl=UNLOCK, "
            "ignoreProgress=false, chargeCallback=" +
                charge.toString() + ", controlCallback=" + control.toString() + ")");
  EXPECT_EQ(charge.toString().rfind("Callback@", 0), 0u);
  EXPECT_NE(charge.toString(), control.toString());

  EXPECT_EQ(CallFunctionTask("p w", std::nullopt, {1, 4294967295u}, 255, {}).toString(),
            "CallFunctionTask(password=p w, userType=null, data=[1, 4294967295], index=255, "
            "callback=null)");
  EXPECT_EQ(SetKeyTask("", UserType::SUPERVISOR, "k", {}).toString(),
            "SetKeyTask(password=, userType=SUPERVISOR, sKey=k, callback=null)");
  EXPECT_EQ(
      SetParametersTask("x", UserType::NORMAL, Parameters(Met::VOLTAGE, CV::MEDIUM, 5, 6, 7), {})
          .toString(),
      "SetParametersTask(password=x, userType=NORMAL, parameters=Parameters(method=VOLTAGE, "
      "clampingVoltage=MEDIUM, totalMotorRuntime=5, p1=6, p2=7), callback=null)");
  EXPECT_EQ(GetLogTask("x", std::nullopt, {}).toString(),
            "GetLogTask(password=x, userType=null, callback=null)");
  EXPECT_EQ(GetVersionTask("x", UserType::NORMAL, {}).toString(),
            "GetVersionTask(password=x, userType=NORMAL, callback=null)");
}

}  // namespace
}  // namespace tavrix
