#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include <asio/awaitable.hpp>

#include "tavrix/sim/lock_config.h"
#include "tavrix/sim/lock_state.h"
#include "tavrix/sim/trace.h"
#include "tavrix/taglink/nfc_tag.h"

namespace tavrix::sim {

class Microcontroller;
class TagMemory;

// A battery-less lock in software: its tag front end (start, address query, word writes and
// reads, trigger) over a tag memory, and its microcontroller, which serves the request the host
// left in the mailbox when triggered. It enforces the lock's keys, the selected user and the
// credential blocks, charges and moves its motor reading by reading, and keeps its log.
//
// Exchanges may come from any thread, one at a time per contact as on a real tag; the lock
// serialises them itself. A malformed raw command gets an empty answer.
class SimulatedLock final : public NFCTag {
 public:
  // Throws std::invalid_argument when `config` cannot make a valid state.
  explicit SimulatedLock(LockConfig config = {});
  ~SimulatedLock() override;
  SimulatedLock(const SimulatedLock&) = delete;
  SimulatedLock& operator=(const SimulatedLock&) = delete;

  asio::awaitable<Bytes> transceive(Bytes data) override;

  const LockConfig& config() const { return config_; }

  LockState state() const;
  // Replaces the lasting state and starts a new contact; std::invalid_argument when `s` is not
  // valid (nothing changes then).
  void setState(LockState s);
  // Both throw StateFileError; a failed load changes nothing.
  void saveState(const std::filesystem::path& path) const;
  void loadState(const std::filesystem::path& path);

  Faults faults() const;
  void setFaults(Faults f);

  // Raw exchanges so far, failed ones included.
  std::uint64_t exchangeCount() const;

  // Tracing is off until switched on; turning it on does not clear what was recorded.
  void setTracing(bool on);
  std::vector<RawExchange> rawTrace() const;
  std::vector<FrameRecord> frames() const;
  void clearTrace();

 private:
  Bytes answer(const Bytes& command);
  Bytes trigger();

  const LockConfig config_;
  mutable std::mutex mutex_;
  std::unique_ptr<TagMemory> memory_;
  std::unique_ptr<Microcontroller> mcu_;
  Faults faults_;
  std::uint64_t exchanges_ = 0;
  bool tracing_ = false;
  std::vector<RawExchange> rawTrace_;
  std::vector<FrameRecord> frames_;
};

}  // namespace tavrix::sim
