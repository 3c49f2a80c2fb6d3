#include "tavrix/workflow/nfc_helper.h"

#include <new>
#include <stdexcept>
#include <utility>

#include <asio/cancellation_state.hpp>
#include <asio/this_coro.hpp>

#include "tavrix/protocol/device_manager.h"

namespace tavrix {
namespace {

// Whether `e` must reach the caller of process(): only the runtime running out of memory.
bool isFatal(const std::exception_ptr& e) {
  try {
    std::rethrow_exception(e);
  } catch (const std::bad_alloc&) {
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

NFCHelper::NFCHelper(std::shared_ptr<NFCCallbacks> callback, PauseFunction pause)
    : callback_(std::move(callback)),
      pause_(pause ? std::move(pause) : timerPause<std::chrono::steady_clock>()) {
  if (!callback_) {
    throw std::invalid_argument("NFCHelper needs a callbacks object");
  }
}

void NFCHelper::setTask(std::shared_ptr<const CommonTask> task) {
  pending_.exchange(std::move(task));
}

asio::awaitable<void> NFCHelper::process(std::any parameter) {
  if (running_.test_and_set(std::memory_order_acquire)) {
    co_return;
  }
  // Also covers a run whose coroutine is destroyed while suspended (its executor shut down):
  // later runs must still be admitted, even though that run never reaches onFinished.
  struct EndRun {
    NFCHelper& helper;
    ~EndRun() { helper.endRun(); }
  } endRun{*this};

  std::exception_ptr fatal;
  try {
    co_await run(parameter);
  } catch (...) {
    if (isFatal(std::current_exception())) {
      fatal = std::current_exception();
    }
  }

  // A cancelled run would throw again at its next co_await; the final steps must not be cut
  // short, so they run with that turned off. The caller's setting is restored afterwards, and
  // its cancelled state is left as it is for the caller to see.
  const bool throwIfCancelled = co_await asio::this_coro::throw_if_cancelled();
  co_await asio::this_coro::throw_if_cancelled(false);
  co_await finish(fatal);
  co_await asio::this_coro::throw_if_cancelled(throwIfCancelled);

  if (fatal) {
    std::rethrow_exception(fatal);
  }
}

asio::awaitable<void> NFCHelper::finish(std::exception_ptr& fatal) {
  const asio::cancellation_state state = co_await asio::this_coro::cancellation_state;
  // Whoever cancelled the run wants it over: the pause, meant for the user to read the outcome,
  // is skipped.
  if (state.cancelled() == asio::cancellation_type::none) {
    try {
      co_await pause_(finalPause);
    } catch (...) {
      if (isFatal(std::current_exception()) && !fatal) {
        fatal = std::current_exception();
      }
    }
  }
  try {
    callback_->onFinished();
  } catch (...) {
    if (isFatal(std::current_exception()) && !fatal) {
      fatal = std::current_exception();
    }
  }
}

void NFCHelper::endRun() {
  pending_.exchange(nullptr);
  running_.clear(std::memory_order_release);
}

asio::awaitable<void> NFCHelper::run(const std::any& parameter) {
  const std::shared_ptr<NFCTag> tag = co_await getNFCTag(parameter);
  if (!tag) {
    co_return;
  }
  const Outcome<Device> opened = co_await DeviceManager::init(*tag);
  if (!opened.isOk() || !opened.value()) {
    co_return;
  }
  const Device device = *opened.value();
  // A failed reading is no reason to stop; the owner is just told there is no value.
  const std::optional<std::uint32_t> rssi = (co_await DeviceManager::getRssi(*tag, device)).value();

  // Keep reading the identity until the owner hands over a task or the tag leaves the field.
  // No pause between readings: the tag exchanges set the pace.
  std::optional<DeviceInfo> info;
  std::shared_ptr<const CommonTask> task;
  while (!task) {
    Outcome<DeviceInfo> read = co_await DeviceManager::getInfo(*tag, device);
    if (!read.isOk() || !read.value()) {
      co_return;
    }
    const bool first = !info.has_value();
    info = *read.value();
    if (first) {
      callback_->onDiscovered(*info, rssi);
    }
    task = pending_.exchange(nullptr);
  }

  const Bytes key = DeviceManager::enc(DeviceManager::toFixed16(task->password()), *info);
  const std::optional<UserType> userType = task->userType();
  if (!userType) {
    task->onSelectError();
    co_return;
  }
  if (!co_await select(*tag, device, *userType)) {
    task->onSelectError();
    co_return;
  }
  co_await runOperation(*task, *tag, device, key, *info);
}

asio::awaitable<bool> NFCHelper::select(NFCTag& t, Device d, UserType type) {
  co_return co_await DeviceManager::select(t, d, type) == Result::OK;
}

asio::awaitable<void> NFCHelper::runOperation(const CommonTask& task, NFCTag& t, Device d,
                                              const Bytes& key, const DeviceInfo& info) {
  // Each operation reports through the task's own callbacks; its success decides nothing here.
  if (const auto* control = dynamic_cast<const ControlTask*>(&task)) {
    if (co_await charging(t, d, key, *control) &&
        co_await NFCHelper::control(t, d, key, *control)) {
      co_await controlling(t, d, key, *control);
    }
  } else if (const auto* setKeyTask = dynamic_cast<const SetKeyTask*>(&task)) {
    co_await setKey(t, d, key, info, *setKeyTask);
  } else if (const auto* parametersTask = dynamic_cast<const SetParametersTask*>(&task)) {
    co_await setParameters(t, d, key, *parametersTask);
  } else if (const auto* logTask = dynamic_cast<const GetLogTask*>(&task)) {
    co_await getLog(t, d, key, *logTask);
  } else if (const auto* versionTask = dynamic_cast<const GetVersionTask*>(&task)) {
    co_await getVersion(t, d, key, *versionTask);
  } else if (const auto* callTask = dynamic_cast<const CallFunctionTask*>(&task)) {
    co_await callFunction(t, d, *callTask);
  } else {
    throw std::logic_error("NFCHelper cannot run a task of a kind it does not know");
  }
}

}  // namespace tavrix
