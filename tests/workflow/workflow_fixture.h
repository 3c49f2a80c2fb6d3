#pragma once

// Scripted owners for the engine's tests: callbacks that write every report into one shared
// list of events, an engine whose tag supplier is given, and tasks whose callbacks report there.

#include <any>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <asio/awaitable.hpp>

#include "tavrix/workflow/control_task.h"
#include "tavrix/workflow/maintenance_tasks.h"
#include "tavrix/workflow/nfc_callbacks.h"
#include "tavrix/workflow/nfc_helper.h"

namespace tavrix::testing {

using Events = std::vector<std::string>;

// Records "discovered id=<hex> new=<bool> rssi=<n|none>" and "finished"; can be told to throw.
class RecordingCallbacks : public NFCCallbacks {
 public:
  explicit RecordingCallbacks(std::shared_ptr<Events> events) : events_(std::move(events)) {}

  void onDiscovered(DeviceInfo info, std::optional<std::uint32_t> rssi) override;
  void onFinished() override;

  // Runs inside onDiscovered, after the event is recorded.
  std::function<void()> whenDiscovered;
  bool throwOnFinished = false;

 private:
  std::shared_ptr<Events> events_;
};

// An engine whose tag supplier hands out `tag` (nullptr: no tag) and records each request.
class GivenTagHelper : public NFCHelper {
 public:
  GivenTagHelper(std::shared_ptr<NFCCallbacks> callbacks, std::shared_ptr<NFCTag> tag,
                 PauseFunction pause)
      : NFCHelper(std::move(callbacks), std::move(pause)), tag_(std::move(tag)) {}

  asio::awaitable<std::shared_ptr<NFCTag>> getNFCTag(const std::any& parameter) override;

  std::vector<std::any> parameters;
  // Runs inside getNFCTag before the tag is handed out.
  std::function<void()> whenAsked;

 private:
  std::shared_ptr<NFCTag> tag_;
};

// A pause that passes at once and records "pause <ms>".
PauseFunction recordingPause(std::shared_ptr<Events> events);

// A tag that is not owned: for locks that live in the test.
template <class Tag>
std::shared_ptr<NFCTag> borrow(Tag& tag) {
  return std::shared_ptr<NFCTag>(std::shared_ptr<void>(), &tag);
}

// Tasks whose callbacks record "charge OK 25 false", "control OK none", "control OK 50 false",
// "result OK", "log OK 2", "words OK [1, 2]", "words ERROR none".
std::shared_ptr<const ControlTask> recordingControlTask(std::shared_ptr<Events> events,
                                                        std::string password,
                                                        std::optional<UserType> userType, Ctrl ctrl,
                                                        bool ignoreProgress = false);
ResultCallback recordingResult(std::shared_ptr<Events> events);
LogCallback recordingLog(std::shared_ptr<Events> events);
WordsCallback recordingWords(std::shared_ptr<Events> events);

}  // namespace tavrix::testing
