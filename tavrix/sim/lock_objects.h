#pragma once

#include <cstdint>

namespace tavrix::sim {

// Lock object numbers (low 16 bits of a request word).
namespace object {
inline constexpr std::uint16_t kFirmwareVersion = 0x0001;
inline constexpr std::uint16_t kIdentity = 0x0005;
inline constexpr std::uint16_t kChargePresent = 0x0010;
inline constexpr std::uint16_t kChargeTarget = 0x0011;
inline constexpr std::uint16_t kMotorProgress = 0x0021;
inline constexpr std::uint16_t kNewFlag = 0x0030;
inline constexpr std::uint16_t kControlSecond = 0x0120;
inline constexpr std::uint16_t kControlFirst = 0x0121;
inline constexpr std::uint16_t kMotorMethod = 0x1000;
inline constexpr std::uint16_t kMotorFirst16 = 0x1001;  // 0x1001..0x1007: 16-bit settings
inline constexpr std::uint16_t kMotorLast16 = 0x1007;
inline constexpr std::uint16_t kDateTime = 0x1800;
inline constexpr std::uint16_t kUserName = 0x1801;
inline constexpr std::uint16_t kLogCount = 0x1810;
inline constexpr std::uint16_t kLogIndex = 0x1811;
inline constexpr std::uint16_t kLogOperation = 0x1812;
inline constexpr std::uint16_t kLogTime = 0x1813;
inline constexpr std::uint16_t kLogName = 0x1814;
inline constexpr std::uint16_t kUserType = 0x1900;
inline constexpr std::uint16_t kKeyCommit = 0x1901;
inline constexpr std::uint16_t kNewKey = 0x1902;
inline constexpr std::uint16_t kKeyCheck = 0x1903;
}  // namespace object

// The value the key commit frame must carry.
inline constexpr std::uint32_t kKeyCommitWord = 0x82D112E6;

// Mailbox command bytes the microcontroller serves.
namespace function {
inline constexpr std::uint8_t kFrame = 0;
inline constexpr std::uint8_t kCustomData = 4;
inline constexpr std::uint8_t kRssi = 12;
}  // namespace function

// Status word of an answer (answer word 1). Accepted: kAccepted plus the object number (or the
// command byte of a lock function). Refused: one of the reasons below, all at most 0xFFFF.
namespace status {
inline constexpr std::uint32_t kAccepted = 0x00010000;
inline constexpr std::uint32_t kMalformed = 0x0001;       // bad header, length word or frame size
inline constexpr std::uint32_t kUnknownRequest = 0x0002;  // no known request under any usable key
inline constexpr std::uint32_t kNoUser = 0x0003;          // keyed request before a user is selected
inline constexpr std::uint32_t kNoCredentials = 0x0004;   // date-time or user block missing
inline constexpr std::uint32_t kBadValue = 0x0005;        // value out of range
inline constexpr std::uint32_t kOutOfOrder = 0x0006;      // step of a sequence without its first
inline constexpr std::uint32_t kRefusedObject = 0x0007;   // injected fault
inline constexpr std::uint32_t kUnknownFunction = 0x0008;

constexpr bool accepted(std::uint32_t s) {
  return s > 0xFFFF;
}
}  // namespace status

}  // namespace tavrix::sim
