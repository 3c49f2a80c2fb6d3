#include "tavrix/sim/lock_config.h"

#include <stdexcept>

#include "tavrix/protocol/device_manager.h"

namespace tavrix::sim {

LockState initialState(const LockConfig& config) {
  LockState s;
  s.id = config.id;
  s.isNew = config.isNew;
  s.key = DeviceManager::enc(DeviceManager::toFixed16(config.password),
                             DeviceInfo(config.id, config.isNew));
  s.supervisorKey = DeviceManager::toFixed16(config.supervisorSecret);
  s.firmwareVersion = config.firmwareVersion;
  s.locked = config.locked;
  s.log = config.log;
  if (auto problem = validate(s)) {
    throw std::invalid_argument("Invalid lock configuration: " + *problem);
  }
  return s;
}

}  // namespace tavrix::sim
