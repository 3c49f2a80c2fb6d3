#include "tavrix/protocol/platform_clock.h"

#include <chrono>

namespace tavrix {
namespace {
thread_local const std::function<std::int64_t()>* currentClock = nullptr;
}  // namespace

std::int64_t platformGetCurrentTimestamp() {
  if (currentClock != nullptr) {
    return (*currentClock)();
  }
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ScopedClock::ScopedClock(std::function<std::int64_t()> now)
    : now_(std::move(now)), previous_(currentClock) {
  currentClock = &now_;
}

ScopedClock::~ScopedClock() { currentClock = previous_; }

}  // namespace tavrix
