#pragma once

#include <cstdint>
#include <functional>

namespace tavrix {

// Milliseconds since 1970-01-01 UTC: the system clock, unless a ScopedClock on this thread says
// otherwise.
std::int64_t platformGetCurrentTimestamp();

// Makes `now` the clock of the current thread for the lifetime of this object (tests fix time).
class ScopedClock {
 public:
  explicit ScopedClock(std::function<std::int64_t()> now);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  std::function<std::int64_t()> now_;
  const std::function<std::int64_t()>* previous_;
};

}  // namespace tavrix
