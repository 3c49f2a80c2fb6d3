// The operation of a ControlTask: charge, move the motor, follow the movement.
#include "tavrix/protocol/device_manager.h"
#include "tavrix/workflow/nfc_helper.h"

namespace tavrix {

asio::awaitable<bool> NFCHelper::charging(NFCTag& t, Device d, const Bytes& key,
                                          const ControlTask& task) {
  for (;;) {
    Outcome<ChargeLevel> reading = co_await DeviceManager::getChargeLevel(t, d, key);
    // Reported before it is judged, so the owner also sees the failing reading.
    task.chargeCallback()(reading.result(), reading.value());
    if (!reading.isOk() || !reading.value()) {
      co_return false;
    }
    if (reading.value()->complete()) {
      co_return true;
    }
  }
}

asio::awaitable<bool> NFCHelper::control(NFCTag& t, Device d, const Bytes& key,
                                         const ControlTask& task) {
  const Result result = co_await DeviceManager::control(t, d, key, task.ctrl());
  task.controlCallback()(result, std::nullopt);
  co_return result == Result::OK;
}

asio::awaitable<bool> NFCHelper::controlling(NFCTag& t, Device d, const Bytes& key,
                                             const ControlTask& task) {
  for (;;) {
    Outcome<ControlProgress> reading = co_await DeviceManager::getControlProgress(t, d, key);
    if (!task.ignoreProgress()) {
      task.controlCallback()(reading.result(), reading.value());
    }
    if (!reading.isOk() || !reading.value()) {
      co_return false;
    }
    if (reading.value()->complete()) {
      co_return true;
    }
  }
}

}  // namespace tavrix
