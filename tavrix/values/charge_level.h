#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace tavrix {

// Charge of the lock's energy store as a percentage (it may exceed 100) and whether it is done.
class ChargeLevel {
 public:
  constexpr ChargeLevel(std::uint16_t level, bool complete) : level_(level), complete_(complete) {}

  constexpr std::uint16_t level() const { return level_; }
  constexpr bool complete() const { return complete_; }
  constexpr ChargeLevel withLevel(std::uint16_t level) const { return {level, complete_}; }
  constexpr ChargeLevel withComplete(bool complete) const { return {level_, complete}; }

  friend constexpr bool operator==(const ChargeLevel&, const ChargeLevel&) = default;
  std::int32_t hashCode() const;
  std::string toString() const;

 private:
  std::uint16_t level_;
  bool complete_;
};

std::ostream& operator<<(std::ostream& os, const ChargeLevel& v);

}  // namespace tavrix

template <>
struct std::hash<tavrix::ChargeLevel> {
  std::size_t operator()(const tavrix::ChargeLevel& v) const noexcept {
    return static_cast<std::uint32_t>(v.hashCode());
  }
};
