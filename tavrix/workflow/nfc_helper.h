#pragma once

#include <any>
#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <optional>

#include <asio/awaitable.hpp>

#include "tavrix/taglink/nfc_tag.h"
#include "tavrix/values/bytes.h"
#include "tavrix/values/device.h"
#include "tavrix/values/device_info.h"
#include "tavrix/values/enums.h"
#include "tavrix/workflow/common_task.h"
#include "tavrix/workflow/control_task.h"
#include "tavrix/workflow/maintenance_tasks.h"
#include "tavrix/workflow/nfc_callbacks.h"
#include "tavrix/workflow/pause.h"

namespace tavrix {

// The workflow engine: turns one contact with a lock into one run. A run opens the mailbox,
// reads the signal strength and keeps reading the lock's identity until a task is pending,
// derives the session key, selects the task's user, runs the task's operation, and always ends
// with a pause, onFinished, the pending slot emptied and the run lock released.
//
// One run at a time: a process() call that finds a run in progress returns at once and reports
// nothing. setTask() may be called from any thread at any moment. Errors raised inside a run,
// by commands, the tag supplier or any callback, end the run quietly; so does cancelling it
// through Asio's cancellation, which also skips the final pause. The engine must outlive every
// run it starts.
class NFCHelper {
 public:
  static constexpr std::chrono::milliseconds finalPause{2000};

  // Throws std::invalid_argument when `callback` is null. Without a `pause` the engine waits
  // on a steady-clock timer on the run's executor.
  explicit NFCHelper(std::shared_ptr<NFCCallbacks> callback, PauseFunction pause = {});
  virtual ~NFCHelper() = default;

  NFCHelper(const NFCHelper&) = delete;
  NFCHelper& operator=(const NFCHelper&) = delete;

  // Makes `task` the pending task, replacing any other; nullptr clears the slot.
  void setTask(std::shared_ptr<const CommonTask> task);

  // One run of the workflow. Rethrows only std::bad_alloc, after the final steps.
  asio::awaitable<void> process(std::any parameter);

  // The tag of this run, or nullptr when there is none. `parameter` is process()'s, unchanged.
  virtual asio::awaitable<std::shared_ptr<NFCTag>> getNFCTag(const std::any& parameter) = 0;

  const std::shared_ptr<NFCCallbacks>& callback() const { return callback_; }

 private:
  asio::awaitable<void> run(const std::any& parameter);
  // The final steps up to onFinished; remembers a fatal error in `fatal` instead of throwing.
  asio::awaitable<void> finish(std::exception_ptr& fatal);
  // The last final steps: the pending slot emptied, then the run lock released.
  void endRun();

  static asio::awaitable<void> runOperation(const CommonTask& task, NFCTag& t, Device d,
                                            const Bytes& key, const DeviceInfo& info);
  static asio::awaitable<bool> select(NFCTag& t, Device d, UserType type);

  // ControlTask
  static asio::awaitable<bool> charging(NFCTag& t, Device d, const Bytes& key,
                                        const ControlTask& task);
  static asio::awaitable<bool> control(NFCTag& t, Device d, const Bytes& key,
                                       const ControlTask& task);
  static asio::awaitable<bool> controlling(NFCTag& t, Device d, const Bytes& key,
                                           const ControlTask& task);

  // The maintenance flows: one command each, reported once through the task's callback.
  static asio::awaitable<bool> setKey(NFCTag& t, Device d, const Bytes& key, const DeviceInfo& info,
                                      const SetKeyTask& task);
  static asio::awaitable<bool> setParameters(NFCTag& t, Device d, const Bytes& key,
                                             const SetParametersTask& task);
  static asio::awaitable<bool> getLog(NFCTag& t, Device d, const Bytes& key,
                                      const GetLogTask& task);
  static asio::awaitable<bool> getVersion(NFCTag& t, Device d, const Bytes& key,
                                          const GetVersionTask& task);
  static asio::awaitable<bool> callFunction(NFCTag& t, Device d, const CallFunctionTask& task);

  const std::shared_ptr<NFCCallbacks> callback_;
  // The run lock: only ever tried, never waited for, and cleared by whichever thread ends the
  // run, which a std::mutex would not allow.
  std::atomic_flag running_;
  std::atomic<std::shared_ptr<const CommonTask>> pending_;
  const PauseFunction pause_;
};

}  // namespace tavrix
