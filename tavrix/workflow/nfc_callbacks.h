#pragma once

#include <cstdint>
#include <optional>

#include "tavrix/values/device_info.h"

namespace tavrix {

// What the engine tells its owner about each run. Both are called from the run, never
// concurrently; an exception thrown from either ends the run quietly.
class NFCCallbacks {
 public:
  virtual ~NFCCallbacks() = default;

  // A lock was discovered; at most once per run. `rssi` is absent when it could not be read.
  virtual void onDiscovered(DeviceInfo info, std::optional<std::uint32_t> rssi) = 0;
  // The run has ended; exactly once per run that was admitted, always last.
  virtual void onFinished() = 0;
};

}  // namespace tavrix
