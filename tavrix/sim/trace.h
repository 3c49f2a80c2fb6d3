#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tavrix/values/bytes.h"

namespace tavrix::sim {

// Bytes as upper-case hex pairs separated by spaces ("47 11").
std::string toHex(const Bytes& bytes);

// One raw exchange as it reached the lock.
struct RawExchange {
  std::string command;  // hex
  std::string answer;   // hex; empty when the exchange failed
  bool raised = false;  // the exchange failed by throwing
};

// The key under which an enciphered frame made sense.
enum class FrameKey { NONE, SESSION, SUPERVISOR };

// A request word taken apart: access code (bit 7 write, low 7 bits type), value length, object.
struct Request {
  std::uint32_t word = 0;

  bool isWrite() const { return (word & 0x80000000u) != 0; }
  std::uint8_t type() const { return static_cast<std::uint8_t>((word >> 24) & 0x7F); }
  std::uint8_t valueLength() const { return static_cast<std::uint8_t>(word >> 16); }
  std::uint16_t object() const { return static_cast<std::uint16_t>(word); }

  friend bool operator==(const Request&, const Request&) = default;
};

// What the microcontroller made of one trigger.
struct FrameRecord {
  std::uint8_t commandByte = 0;
  Words words;  // the words after the header word, deciphered when the lock found the key
  bool enciphered = false;
  FrameKey key = FrameKey::NONE;
  std::optional<Request> request;  // command byte 0 with a request the lock understood
  Bytes value;                     // the value bytes of a write request
  std::uint32_t status = 0;        // the answer's status word
};

}  // namespace tavrix::sim
