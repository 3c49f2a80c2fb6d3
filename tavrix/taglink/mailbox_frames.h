#pragma once

#include <cstdint>

namespace tavrix::mailbox {

// Raw command bytes of the mailbox protocol, shared by the kit and anything that plays the
// lock's side of the wire.
inline constexpr std::uint8_t kStart = 0x47;
inline constexpr std::uint8_t kStartArgument = 0x11;
inline constexpr std::uint8_t kQuery = 0x60;
inline constexpr std::uint8_t kTriggerArgument = 0x02;
inline constexpr std::uint8_t kWrite = 0x70;
inline constexpr std::uint8_t kRead = 0x80;

// Header word stored in front of every mailbox request: 0x60000000 plus the command byte.
constexpr std::uint32_t headerWord(std::uint8_t cc) { return 0x60000000u | cc; }

}  // namespace tavrix::mailbox
