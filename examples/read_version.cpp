// Talks to a lock command by command, without the workflow engine: opens the mailbox, reads the
// lock's identity, derives the session key from the password, selects a user and reads the
// firmware version. Every command reports a Result; those that read something give an Outcome
// whose value is there exactly when the result is OK.

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/sim/simulated_lock.h"

namespace {

using namespace tavrix;

asio::awaitable<int> readVersion(NFCTag& tag, std::string_view password) {
  const Outcome<Device> opened = co_await DeviceManager::init(tag);
  if (!opened.isOk()) {
    std::printf("No lock answered.\n");
    co_return 1;
  }
  const Device d = *opened.value();

  const Outcome<DeviceInfo> info = co_await DeviceManager::getInfo(tag, d);
  if (!info.isOk()) {
    std::printf("Could not read the lock's identity: %s\n",
                std::string(name(info.result())).c_str());
    co_return 1;
  }
  std::printf("Lock %016llX, %s\n", static_cast<unsigned long long>(info.value()->id()),
              info.value()->isNew() ? "new" : "in use");

  // The same password gives every lock its own key.
  const Bytes key = DeviceManager::enc(DeviceManager::toFixed16(password), *info.value());
  if (const Result r = co_await DeviceManager::select(tag, d, UserType::NORMAL); r != Result::OK) {
    std::printf("The lock refused the user: %s\n", std::string(name(r)).c_str());
    co_return 1;
  }

  const Outcome<Words> version = co_await DeviceManager::getVersion(tag, d, key);
  if (!version.isOk()) {
    // A wrong password shows here as UNAUTHORIZED.
    std::printf("Could not read the version: %s\n", std::string(name(version.result())).c_str());
    co_return 1;
  }
  const Words& v = *version.value();
  std::printf("Firmware %u.%u.%u.%u\n", v[0], v[1], v[2], v[3]);
  co_return 0;
}

}  // namespace

int main(int argc, char** argv) {
  sim::SimulatedLock lock;
  const std::string password = argc > 1 ? argv[1] : lock.config().password;

  asio::io_context ctx;
  int status = 1;
  std::exception_ptr failure;
  asio::co_spawn(ctx, readVersion(lock, password), [&](std::exception_ptr e, int s) {
    failure = e;
    status = s;
  });
  ctx.run();
  if (failure) {
    std::printf("The exchange failed unexpectedly.\n");
    return 1;
  }
  return status;
}
