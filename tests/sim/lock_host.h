#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tavrix/sim/simulated_lock.h"
#include "tavrix/values/bytes.h"

namespace tavrix::sim::testing {

// The host side of the wire, built by hand from the tag link and the cipher the way the kit
// builds its frames, so the lock is proven without the kit's command layer.
class LockHost {
 public:
  explicit LockHost(SimulatedLock& lock) : lock_(lock) {}

  // Start command and address query; false when either fails.
  bool startContact();

  // Writes `words` behind the header word for command byte `cc`, triggers, and reads
  // `readCount` words from the start address; nothing when any exchange fails.
  std::optional<Words> call(std::uint8_t cc, const Words& words, std::int32_t readCount);

  // A frame with command byte 0 and the answer of n + 2 words.
  std::optional<Words> frame(const Words& f, std::int32_t n) { return call(0, f, n + 2); }

  // Status word of the answer to `f` (0 when the exchange failed).
  std::uint32_t status(const Words& f, std::int32_t n = 0);

  // Sends a keyed 5-word frame (request, value word) under `key` and returns the answer
  // payload deciphered whole (8 words); nothing when the exchange failed or was refused.
  std::optional<Words> keyedRead(std::uint32_t request, const Bytes& key);
  std::uint32_t keyedWrite(std::uint32_t request, std::uint32_t valueWord, const Bytes& key);

  std::uint32_t select(std::uint8_t userType);
  // The date-time and user blocks under `key`; the status of the first refused one, else of
  // the user block.
  std::uint32_t credentials(const Bytes& key, std::uint32_t seconds, const std::string& name);

 private:
  SimulatedLock& lock_;
  std::uint32_t start_ = 0;
  std::uint32_t nonce_ = 0x1234;
};

// Frame builders, as the kit lays its frames out.
Words clearRead(std::uint32_t request);
Words fiveWords(std::uint32_t request, std::uint32_t valueWord);
Words userBlock(const std::string& name);
Words dateTimeBlock(std::uint32_t seconds);
// Words 1..last enciphered under `key` with a zero IV.
Words encipher(const Words& f, const Bytes& key);
// The payload (answer words 2..) deciphered whole under `key`.
Words decipherPayload(const Words& answer, const Bytes& key);

}  // namespace tavrix::sim::testing
