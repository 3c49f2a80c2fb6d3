#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace tavrix {

// Handle of a discovered lock: the byte address where its mailbox starts in tag memory.
class Device {
 public:
  explicit constexpr Device(std::uint32_t s) : s_(s) {}

  constexpr std::uint32_t s() const { return s_; }
  constexpr Device withS(std::uint32_t s) const { return Device(s); }

  // Byte address of mailbox word `c`; wraps modulo 2^32.
  constexpr std::uint32_t shift(std::uint16_t c) const { return s_ + 4u * std::uint32_t{c}; }

  friend constexpr bool operator==(const Device&, const Device&) = default;
  std::int32_t hashCode() const { return static_cast<std::int32_t>(s_); }
  std::string toString() const;

 private:
  std::uint32_t s_;
};

std::ostream& operator<<(std::ostream& os, const Device& v);

}  // namespace tavrix

template <>
struct std::hash<tavrix::Device> {
  std::size_t operator()(const tavrix::Device& v) const noexcept {
    return static_cast<std::uint32_t>(v.hashCode());
  }
};
