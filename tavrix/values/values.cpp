// Hash codes and text forms of the value types.
#include <sstream>

#include "tavrix/values/charge_level.h"
#include "tavrix/values/control_progress.h"
#include "tavrix/values/device.h"
#include "tavrix/values/device_info.h"
#include "tavrix/values/device_log.h"
#include "tavrix/values/hashing.h"
#include "tavrix/values/parameters.h"

namespace tavrix {
namespace {

const char* boolText(bool b) { return b ? "true" : "false"; }

template <class V>
std::string textOf(const V& v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const Device& v) {
  return os << "Device(s=" << v.s() << ")";
}
std::string Device::toString() const { return textOf(*this); }

std::int32_t DeviceInfo::hashCode() const {
  return hashing::Folder(hashing::of(id_)).add(hashing::of(isNew_)).get();
}
std::ostream& operator<<(std::ostream& os, const DeviceInfo& v) {
  return os << "DeviceInfo(id=" << v.id() << ", isNew=" << boolText(v.isNew()) << ")";
}
std::string DeviceInfo::toString() const { return textOf(*this); }

std::int32_t DeviceLog::hashCode() const {
  return hashing::Folder(hashing::of(timestamp_))
      .add(hashing::ofText(username_))
      .add(hashing::ofEnum(ctrl_))
      .get();
}
std::ostream& operator<<(std::ostream& os, const DeviceLog& v) {
  os << "DeviceLog(timestamp=" << v.timestamp() << ", username=" << v.username() << ", ctrl=";
  if (v.ctrl()) {
    os << name(*v.ctrl());
  } else {
    os << "null";
  }
  return os << ")";
}
std::string DeviceLog::toString() const { return textOf(*this); }

std::int32_t ChargeLevel::hashCode() const {
  return hashing::Folder(hashing::of(level_)).add(hashing::of(complete_)).get();
}
std::ostream& operator<<(std::ostream& os, const ChargeLevel& v) {
  return os << "ChargeLevel(level=" << v.level() << ", complete=" << boolText(v.complete())
            << ")";
}
std::string ChargeLevel::toString() const { return textOf(*this); }

std::int32_t ControlProgress::hashCode() const {
  return hashing::Folder(hashing::of(progress_)).add(hashing::of(complete_)).get();
}
std::ostream& operator<<(std::ostream& os, const ControlProgress& v) {
  return os << "ControlProgress(progress=" << v.progress()
            << ", complete=" << boolText(v.complete()) << ")";
}
std::string ControlProgress::toString() const { return textOf(*this); }

std::int32_t Parameters::hashCode() const {
  return hashing::Folder(hashing::ofEnum(method_))
      .add(hashing::ofEnum(clampingVoltage_))
      .add(hashing::of(totalMotorRuntime_))
      .add(hashing::of(p1_))
      .add(hashing::of(p2_))
      .get();
}
std::ostream& operator<<(std::ostream& os, const Parameters& v) {
  return os << "Parameters(method=" << name(v.method())
            << ", clampingVoltage=" << name(v.clampingVoltage())
            << ", totalMotorRuntime=" << v.totalMotorRuntime() << ", p1=" << v.p1()
            << ", p2=" << v.p2() << ")";
}
std::string Parameters::toString() const { return textOf(*this); }

}  // namespace tavrix
