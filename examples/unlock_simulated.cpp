// Unlocks a simulated lock through the workflow engine and prints every report as it arrives.
//
// The pieces a host puts together:
//   - an NFCHelper subclass, which tells the engine where this contact's tag is;
//   - an NFCCallbacks object, which hears about the lock found and the end of the run;
//   - a task, here a ControlTask that unlocks, with callbacks for the charge and the motor.
// The engine's process() is then run once per contact with a lock.

#include <any>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>

#include "tavrix/sim/simulated_lock.h"
#include "tavrix/workflow/control_task.h"
#include "tavrix/workflow/nfc_callbacks.h"
#include "tavrix/workflow/nfc_helper.h"

namespace {

using namespace tavrix;

// In a phone app the tag comes from the platform's reader session; here it is always the one
// simulated lock.
class SimulatedLockHelper : public NFCHelper {
 public:
  SimulatedLockHelper(std::shared_ptr<NFCCallbacks> callbacks,
                      std::shared_ptr<sim::SimulatedLock> lock)
      : NFCHelper(std::move(callbacks)), lock_(std::move(lock)) {}

  asio::awaitable<std::shared_ptr<NFCTag>> getNFCTag(const std::any&) override { co_return lock_; }

 private:
  std::shared_ptr<sim::SimulatedLock> lock_;
};

class PrintingCallbacks : public NFCCallbacks {
 public:
  void onDiscovered(DeviceInfo info, std::optional<std::uint32_t> rssi) override {
    std::printf("  discovered  lock %016llX%s", static_cast<unsigned long long>(info.id()),
                info.isNew() ? " (new)" : "");
    if (rssi) {
      std::printf(", signal %u", static_cast<unsigned>(*rssi));
    }
    std::printf("\n");
  }

  void onFinished() override { std::printf("  finished\n"); }
};

void printCharge(Result result, std::optional<ChargeLevel> level) {
  if (!level) {
    std::printf("  charging    failed: %s\n", std::string(name(result)).c_str());
    return;
  }
  std::printf("  charging    %3u%%%s\n", unsigned{level->level()},
              level->complete() ? "  (charged)" : "");
}

void printControl(Result result, std::optional<ControlProgress> progress) {
  if (!progress) {
    // The report right after the control command carries no progress.
    std::printf("  unlocking   command %s\n", std::string(name(result)).c_str());
    return;
  }
  std::printf("  moving      %3u%%%s\n", unsigned{progress->progress()},
              progress->complete() ? "  (done)" : "");
}

}  // namespace

int main() {
  auto lock = std::make_shared<sim::SimulatedLock>();
  const std::string password = lock->config().password;
  std::printf("A simulated lock, %s, opened with the password \"%s\".\n",
              lock->state().locked ? "locked" : "unlocked", password.c_str());

  SimulatedLockHelper helper(std::make_shared<PrintingCallbacks>(), lock);
  helper.setTask(std::make_shared<const ControlTask>(password, UserType::NORMAL, Ctrl::UNLOCK,
                                                     /*ignoreProgress=*/false, printCharge,
                                                     printControl));

  std::printf("Unlock task handed over; the phone touches the lock:\n");
  asio::io_context ctx;
  std::exception_ptr failure;
  asio::co_spawn(ctx, helper.process({}), [&](std::exception_ptr e) { failure = e; });
  // The engine pauses 2 seconds before it finishes, so a user can read the outcome.
  ctx.run();
  if (failure) {
    std::printf("The run failed.\n");
    return 1;
  }

  const bool unlocked = !lock->state().locked;
  std::printf("The lock is now %s.\n", unlocked ? "unlocked" : "still locked");
  return unlocked ? 0 : 1;
}
