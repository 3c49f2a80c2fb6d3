#include "tavrix/sim/object_table.h"

#include <array>

#include "tavrix/sim/lock_objects.h"

namespace tavrix::sim {
namespace {

constexpr std::uint8_t kByte = 0x03;
constexpr std::uint8_t kShort = 0x05;
constexpr std::uint8_t kInt = 0x07;
constexpr std::uint8_t kTime = 0x08;
constexpr std::uint8_t kNumber = 0x09;
constexpr std::uint8_t kBlock = 0x10;
constexpr std::uint8_t kText = 0x11;

constexpr ObjectSpec read(std::uint16_t o, std::uint8_t type, std::uint8_t length, Security s) {
  return {o, false, type, length, false, s};
}
constexpr ObjectSpec write(std::uint16_t o, std::uint8_t type, std::uint8_t length, Security s) {
  return {o, true, type, length, false, s};
}

using S = Security;
namespace o = object;

constexpr std::array kSpecs{
    read(o::kIdentity, kNumber, 8, S::CLEAR),
    read(o::kNewFlag, kByte, 1, S::CLEAR),
    write(o::kUserType, kByte, 1, S::CLEAR),
    write(o::kDateTime, kTime, 8, S::ANY_KEY),
    ObjectSpec{o::kUserName, true, kText, 0, true, S::ANY_KEY},
    write(o::kControlFirst, kByte, 1, S::SESSION),
    write(o::kControlSecond, kByte, 1, S::SESSION),
    read(o::kMotorProgress, kByte, 1, S::SESSION),
    read(o::kChargeTarget, kShort, 2, S::SESSION),
    read(o::kChargePresent, kShort, 2, S::SESSION),
    read(o::kFirmwareVersion, kInt, 4, S::SESSION),
    write(o::kNewKey, kBlock, 16, S::SUPERVISOR),
    read(o::kKeyCheck, kBlock, 16, S::SUPERVISOR),
    write(o::kKeyCommit, kInt, 4, S::SUPERVISOR),
    write(o::kMotorMethod, kByte, 1, S::SESSION),
    write(0x1001, kShort, 2, S::SESSION),
    write(0x1002, kShort, 2, S::SESSION),
    write(0x1003, kShort, 2, S::SESSION),
    write(0x1004, kShort, 2, S::SESSION),
    write(0x1005, kShort, 2, S::SESSION),
    write(0x1006, kShort, 2, S::SESSION),
    write(0x1007, kShort, 2, S::SESSION),
    read(o::kLogCount, kShort, 2, S::SESSION),
    write(o::kLogIndex, kShort, 2, S::SESSION),
    read(o::kLogTime, kTime, 8, S::SESSION),
    read(o::kLogName, kText, 40, S::SESSION),
    read(o::kLogOperation, kInt, 4, S::SESSION),
};

}  // namespace

const ObjectSpec* findSpec(const Request& r) {
  for (const ObjectSpec& spec : kSpecs) {
    if (spec.object == r.object()) {
      const bool lengthOk = spec.anyLength || spec.length == r.valueLength();
      return spec.write == r.isWrite() && spec.type == r.type() && lengthOk ? &spec : nullptr;
    }
  }
  return nullptr;
}

}  // namespace tavrix::sim
