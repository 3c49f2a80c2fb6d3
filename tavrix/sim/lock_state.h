#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/values/bytes.h"

namespace tavrix::sim {

// The log record keeps 24 name bytes: all that one log name answer can carry.
inline constexpr std::size_t kMaxLogNameBytes = 24;
// The log count travels as 16 bits.
inline constexpr std::size_t kMaxLogEntries = 0xFFFF;
// The custom-data block of lock function 4: 56 bytes.
inline constexpr std::size_t kCustomDataWords = 14;

// One access-log record as the lock keeps it.
struct LogEntry {
  std::uint64_t time = 0;      // value of the date-time block: seconds since 1970-01-01 UTC
  std::string user;            // name bytes of the user block, at most kMaxLogNameBytes
  std::uint8_t operation = 0;  // lock operation code: 1 lock, 2 unlock

  friend bool operator==(const LogEntry&, const LogEntry&) = default;
};

// Motor settings, one field per lock object (object numbers in the comments).
struct MotorParameters {
  std::uint8_t method = 1;               // 0x1000: 1 single, 2 voltage, 3 timer
  std::uint16_t clampingVoltage = 3000;  // 0x1001, millivolts
  std::uint16_t voltageP1 = 0;           // 0x1002
  std::uint16_t voltageP2 = 0;           // 0x1003
  std::uint16_t timerP1 = 0;             // 0x1004
  std::uint16_t timerP2 = 0;             // 0x1005
  std::uint16_t singleP1 = 0;            // 0x1006
  std::uint16_t totalMotorRuntime = 0;   // 0x1007

  friend bool operator==(const MotorParameters&, const MotorParameters&) = default;
};

// Everything a lock keeps from one contact to the next; what a state file holds.
struct LockState {
  std::uint64_t id = 0;
  bool isNew = true;
  Bytes key;            // the lock's key (16 bytes): every ordinary keyed frame uses it
  Bytes supervisorKey;  // 16 bytes: authorises key changes
  std::uint32_t firmwareVersion = 0;
  bool locked = true;
  MotorParameters motor;
  std::array<std::uint32_t, kCustomDataWords> customData{};
  std::vector<LogEntry> log;  // oldest first

  friend bool operator==(const LockState&, const LockState&) = default;
};

// Nothing when the state can be used, else why not (a key of the wrong length, a log name too
// long, too many log entries, an unknown drive method).
std::optional<std::string> validate(const LockState& s);

}  // namespace tavrix::sim
