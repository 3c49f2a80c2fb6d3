#include "tavrix/sim/lock_state.h"

#include "tavrix/values/enums.h"

namespace tavrix::sim {

std::optional<std::string> validate(const LockState& s) {
  if (s.key.size() != 16) {
    return "the lock's key must be 16 bytes";
  }
  if (s.supervisorKey.size() != 16) {
    return "the supervisor key must be 16 bytes";
  }
  if (!fromValue<Met>(s.motor.method)) {
    return "unknown motor drive method " + std::to_string(s.motor.method);
  }
  if (s.log.size() > kMaxLogEntries) {
    return "the log holds at most 65535 entries";
  }
  for (const LogEntry& e : s.log) {
    if (e.user.size() > kMaxLogNameBytes) {
      return "a log name holds at most 24 bytes";
    }
  }
  return std::nullopt;
}

}  // namespace tavrix::sim
