#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "tavrix/protocol/random_source.h"
#include "tavrix/sim/lock_config.h"
#include "tavrix/sim/lock_state.h"
#include "tavrix/sim/object_table.h"
#include "tavrix/sim/tag_memory.h"
#include "tavrix/sim/trace.h"

namespace tavrix::sim {

// The lock's microcontroller: on each trigger it serves the request the host left in the
// mailbox and writes its answer there. Not thread-safe; SimulatedLock serialises it.
class Microcontroller {
 public:
  Microcontroller(const LockConfig& config, LockState state);

  const LockState& state() const { return state_; }
  // `s` must be valid; starts a new contact.
  void setState(LockState s);

  // The field came back: selection, credentials and sequences of the last contact are gone and
  // the energy store is empty again.
  void newContact() { contact_ = Contact{}; }

  // Serves the request headed by the word at `start`, with `refused` objects refused.
  FrameRecord run(TagMemory& memory, std::uint32_t start, const std::set<std::uint16_t>& refused);

 private:
  // A credential holds for the key bytes it came under, whichever role they play.
  template <class T>
  struct Keyed {
    T value;
    Bytes key;
  };
  struct Movement {
    std::uint8_t operation;
    std::uint64_t time;
    std::string user;
  };
  // What lasts for one contact only.
  struct Contact {
    std::optional<std::uint8_t> user;
    std::optional<Keyed<std::uint64_t>> dateTime;
    std::optional<Keyed<std::string>> userName;
    std::optional<std::uint8_t> firstControl;
    std::optional<Bytes> newKey;
    bool keyChecked = false;
    std::optional<std::uint16_t> logIndex;
    std::uint16_t chargePresent = 0;
    std::optional<Movement> movement;
    std::uint8_t progress = 0;
  };
  struct Reply {
    std::uint32_t status;
    Bytes value;  // read value, most significant byte first
  };

  FrameRecord runFrame(TagMemory& memory, std::uint32_t start,
                       const std::set<std::uint16_t>& refused);
  FrameRecord runCustomData(TagMemory& memory, std::uint32_t start);
  const Bytes& keyFor(FrameKey k) const;
  Words answerPayload(const Request& r, const Bytes& value, std::size_t words);

  // Object behaviour (lock_objects.cpp).
  Reply serve(const Request& r, const Bytes& value, FrameKey key);
  Reply serveClear(const Request& r, const Bytes& value);
  Reply serveCredential(const Request& r, const Bytes& value, FrameKey key);
  Reply serveControl(const Request& r, const Bytes& value);
  Reply serveProgress(const Request& r);
  Reply serveKeyChange(const Request& r, const Bytes& value);
  Reply serveMotor(const Request& r, const Bytes& value);
  Reply serveLog(const Request& r, const Bytes& value);
  bool hasCredentials(FrameKey key) const;
  void finishMovement();

  const LockConfig config_;
  LockState state_;
  Contact contact_;
  SeededRandom random_;
};

}  // namespace tavrix::sim
