#include "tests/workflow/workflow_fixture.h"

#include <cstdio>
#include <stdexcept>

namespace tavrix::testing {
namespace {

std::string words(const Words& w) {
  std::string text = "[";
  for (std::size_t i = 0; i < w.size(); ++i) {
    text += (i ? ", " : "") + std::to_string(w[i]);
  }
  return text + "]";
}

asio::awaitable<void> recordPause(std::shared_ptr<Events> events, std::chrono::milliseconds d) {
  events->push_back("pause " + std::to_string(d.count()));
  co_return;
}

}  // namespace

void RecordingCallbacks::onDiscovered(DeviceInfo info, std::optional<std::uint32_t> rssi) {
  char id[17];
  std::snprintf(id, sizeof id, "%016llx", static_cast<unsigned long long>(info.id()));
  events_->push_back(std::string("discovered id=") + id +
                     " new=" + (info.isNew() ? "true" : "false") +
                     " rssi=" + (rssi ? std::to_string(*rssi) : "none"));
  if (whenDiscovered) {
    whenDiscovered();
  }
}

void RecordingCallbacks::onFinished() {
  events_->push_back("finished");
  if (throwOnFinished) {
    throw std::runtime_error("owner failed in onFinished");
  }
}

asio::awaitable<std::shared_ptr<NFCTag>> GivenTagHelper::getNFCTag(const std::any& parameter) {
  parameters.push_back(parameter);
  if (whenAsked) {
    whenAsked();
  }
  co_return tag_;
}

PauseFunction recordingPause(std::shared_ptr<Events> events) {
  return [events](std::chrono::milliseconds d) { return recordPause(events, d); };
}

std::shared_ptr<const ControlTask> recordingControlTask(std::shared_ptr<Events> events,
                                                        std::string password,
                                                        std::optional<UserType> userType, Ctrl ctrl,
                                                        bool ignoreProgress) {
  return std::make_shared<const ControlTask>(
      std::move(password), userType, ctrl, ignoreProgress,
      [events](Result r, std::optional<ChargeLevel> v) {
        events->push_back(
            "charge " + std::string(name(r)) +
            (v ? " " + std::to_string(v->level()) + (v->complete() ? " true" : " false")
               : " none"));
      },
      [events](Result r, std::optional<ControlProgress> v) {
        events->push_back(
            "control " + std::string(name(r)) +
            (v ? " " + std::to_string(v->progress()) + (v->complete() ? " true" : " false")
               : " none"));
      });
}

ResultCallback recordingResult(std::shared_ptr<Events> events) {
  return [events](Result r) { events->push_back("result " + std::string(name(r))); };
}

LogCallback recordingLog(std::shared_ptr<Events> events) {
  return [events](Result r, std::optional<std::vector<DeviceLog>> log) {
    events->push_back("log " + std::string(name(r)) +
                      (log ? " " + std::to_string(log->size()) : " none"));
  };
}

WordsCallback recordingWords(std::shared_ptr<Events> events) {
  return [events](Result r, std::optional<Words> w) {
    events->push_back("words " + std::string(name(r)) + (w ? " " + words(*w) : " none"));
  };
}

}  // namespace tavrix::testing
