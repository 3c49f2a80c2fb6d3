#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace tavrix {

// How far the motor has moved (100 or more: finished).
class ControlProgress {
 public:
  constexpr ControlProgress(std::uint16_t progress, bool complete) : progress_(progress), complete_(complete) {}

  constexpr std::uint16_t progress() const { return progress_; }
  constexpr bool complete() const { return complete_; }
  constexpr ControlProgress withProgress(std::uint16_t progress) const { return {progress, complete_}; }
  constexpr ControlProgress withComplete(bool complete) const { return {progress_, complete}; }

  friend constexpr bool operator==(const ControlProgress&, const ControlProgress&) = default;
  std::int32_t hashCode() const;
  std::string toString() const;

 private:
  std::uint16_t progress_;
  bool complete_;
};

std::ostream& operator<<(std::ostream& os, const ControlProgress& v);

}  // namespace tavrix

template <>
struct std::hash<tavrix::ControlProgress> {
  std::size_t operator()(const tavrix::ControlProgress& v) const noexcept {
    return static_cast<std::uint32_t>(v.hashCode());
  }
};
