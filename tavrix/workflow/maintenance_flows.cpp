// The operations of the task kinds besides ControlTask: one command each, reported once.
#include <utility>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/workflow/nfc_helper.h"

namespace tavrix {

asio::awaitable<bool> NFCHelper::setKey(NFCTag& t, Device d, const Bytes& key,
                                        const DeviceInfo& info, const SetKeyTask& task) {
  // The session key is the one installed; the task's sKey authorises the change.
  const Result result =
      co_await DeviceManager::setKey(t, d, info, key, DeviceManager::toFixed16(task.sKey()));
  task.callback()(result);
  co_return result == Result::OK;
}

asio::awaitable<bool> NFCHelper::setParameters(NFCTag& t, Device d, const Bytes& key,
                                               const SetParametersTask& task) {
  const Result result = co_await DeviceManager::setParameters(t, d, key, task.parameters());
  task.callback()(result);
  co_return result == Result::OK;
}

asio::awaitable<bool> NFCHelper::getLog(NFCTag& t, Device d, const Bytes& key,
                                        const GetLogTask& task) {
  Outcome<std::vector<DeviceLog>> log = co_await DeviceManager::getLog(t, d, key);
  const Result result = log.result();
  task.callback()(result, std::move(log).value());
  co_return result == Result::OK;
}

asio::awaitable<bool> NFCHelper::getVersion(NFCTag& t, Device d, const Bytes& key,
                                            const GetVersionTask& task) {
  Outcome<Words> version = co_await DeviceManager::getVersion(t, d, key);
  const Result result = version.result();
  task.callback()(result, std::move(version).value());
  co_return result == Result::OK;
}

asio::awaitable<bool> NFCHelper::callFunction(NFCTag& t, Device d, const CallFunctionTask& task) {
  // A raw mailbox exchange: no key, and the lock's status word among the 16 answer words is
  // the owner's to read, so OK only says the words were written and read back.
  Outcome<Words> answer = co_await DeviceManager::call(t, d, task.index(), task.data(), 16);
  const Result result = answer.result();
  task.callback()(result, std::move(answer).value());
  co_return result == Result::OK;
}

}  // namespace tavrix
