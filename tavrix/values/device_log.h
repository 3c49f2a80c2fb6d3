#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "tavrix/values/enums.h"

namespace tavrix {

// One entry of a lock's access log. `ctrl` is absent when the lock's code matches no operation.
class DeviceLog {
 public:
  DeviceLog(std::uint64_t timestamp, std::string username, std::optional<Ctrl> ctrl)
      : timestamp_(timestamp), username_(std::move(username)), ctrl_(ctrl) {}

  std::uint64_t timestamp() const { return timestamp_; }
  const std::string& username() const { return username_; }
  std::optional<Ctrl> ctrl() const { return ctrl_; }

  DeviceLog withTimestamp(std::uint64_t timestamp) const { return {timestamp, username_, ctrl_}; }
  DeviceLog withUsername(std::string username) const {
    return {timestamp_, std::move(username), ctrl_};
  }
  DeviceLog withCtrl(std::optional<Ctrl> ctrl) const { return {timestamp_, username_, ctrl}; }

  friend bool operator==(const DeviceLog&, const DeviceLog&) = default;
  std::int32_t hashCode() const;
  std::string toString() const;

 private:
  std::uint64_t timestamp_;
  std::string username_;
  std::optional<Ctrl> ctrl_;
};

std::ostream& operator<<(std::ostream& os, const DeviceLog& v);

}  // namespace tavrix

template <>
struct std::hash<tavrix::DeviceLog> {
  std::size_t operator()(const tavrix::DeviceLog& v) const noexcept {
    return static_cast<std::uint32_t>(v.hashCode());
  }
};
