#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tavrix/sim/lock_state.h"

namespace tavrix::sim {

// How a lock is made. Keys derive from the texts as the kit derives them: the lock's key from
// `password` and the identity, the supervisor key from `supervisorSecret` alone.
struct LockConfig {
  std::uint64_t id = 0x0123456789ABCDEFull;
  bool isNew = true;
  std::string password = "123456";
  std::string supervisorSecret = "supervisor";
  std::uint32_t firmwareVersion = 0x01000200;  // version 1.0.2.0
  std::uint32_t rssi = 0x0040;                 // values above 0xFFFF are failures to the kit
  std::uint32_t startAddress = 0x00001000;
  std::uint16_t chargeTarget = 1000;  // full charge
  std::uint16_t chargeStep = 250;     // added to the present value by each reading of it
  std::uint8_t motorStep = 25;        // added to the motor progress by each reading of it
  bool locked = true;
  std::vector<LogEntry> log;     // preloaded entries, oldest first
  std::uint64_t randomSeed = 1;  // the lock's own nonces, filler and proof words
};

// The state a lock made from `config` starts in. Throws std::invalid_argument when the config
// cannot make a valid state (a preloaded log name over 24 bytes, more than 65535 entries).
LockState initialState(const LockConfig& config);

// How an exchange fails once the tag has left the field.
enum class LeaveMode { THROW, EMPTY_ANSWER };

// Faults to inject. Exchanges are numbered from 1 in the order they reach the lock.
struct Faults {
  // From this exchange on, every exchange fails and the lock does nothing.
  std::optional<std::uint64_t> leaveFieldAt;
  LeaveMode leaveMode = LeaveMode::THROW;
  // This exchange is processed, but the last byte of its answer arrives flipped.
  std::optional<std::uint64_t> corruptAnswerAt;
  // Every request for these objects is refused (status kRefusedObject).
  std::set<std::uint16_t> refusedObjects;
  // Waited on the caller's executor before every exchange.
  std::chrono::milliseconds latency{0};
};

}  // namespace tavrix::sim
