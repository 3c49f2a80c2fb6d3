#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace tavrix {

// Identity of a lock and whether it still reports itself as new.
class DeviceInfo {
 public:
  constexpr DeviceInfo(std::uint64_t id, bool isNew) : id_(id), isNew_(isNew) {}

  constexpr std::uint64_t id() const { return id_; }
  constexpr bool isNew() const { return isNew_; }
  constexpr DeviceInfo withId(std::uint64_t id) const { return {id, isNew_}; }
  constexpr DeviceInfo withIsNew(bool isNew) const { return {id_, isNew}; }

  friend constexpr bool operator==(const DeviceInfo&, const DeviceInfo&) = default;
  std::int32_t hashCode() const;
  std::string toString() const;

 private:
  std::uint64_t id_;
  bool isNew_;
};

std::ostream& operator<<(std::ostream& os, const DeviceInfo& v);

}  // namespace tavrix

template <>
struct std::hash<tavrix::DeviceInfo> {
  std::size_t operator()(const tavrix::DeviceInfo& v) const noexcept {
    return static_cast<std::uint32_t>(v.hashCode());
  }
};
