#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "tavrix/values/enums.h"

namespace tavrix {

// Motor settings written to a lock: drive method, clamping voltage, total run time and the one
// or two values that belong to the method.
class Parameters {
 public:
  constexpr Parameters(Met method, CV clampingVoltage, std::uint16_t totalMotorRuntime,
                       std::uint16_t p1, std::uint16_t p2)
      : method_(method),
        clampingVoltage_(clampingVoltage),
        totalMotorRuntime_(totalMotorRuntime),
        p1_(p1),
        p2_(p2) {}

  constexpr Met method() const { return method_; }
  constexpr CV clampingVoltage() const { return clampingVoltage_; }
  constexpr std::uint16_t totalMotorRuntime() const { return totalMotorRuntime_; }
  constexpr std::uint16_t p1() const { return p1_; }
  constexpr std::uint16_t p2() const { return p2_; }

  constexpr Parameters withMethod(Met v) const {
    return {v, clampingVoltage_, totalMotorRuntime_, p1_, p2_};
  }
  constexpr Parameters withClampingVoltage(CV v) const {
    return {method_, v, totalMotorRuntime_, p1_, p2_};
  }
  constexpr Parameters withTotalMotorRuntime(std::uint16_t v) const {
    return {method_, clampingVoltage_, v, p1_, p2_};
  }
  constexpr Parameters withP1(std::uint16_t v) const {
    return {method_, clampingVoltage_, totalMotorRuntime_, v, p2_};
  }
  constexpr Parameters withP2(std::uint16_t v) const {
    return {method_, clampingVoltage_, totalMotorRuntime_, p1_, v};
  }

  friend constexpr bool operator==(const Parameters&, const Parameters&) = default;
  std::int32_t hashCode() const;
  std::string toString() const;

 private:
  Met method_;
  CV clampingVoltage_;
  std::uint16_t totalMotorRuntime_;
  std::uint16_t p1_;
  std::uint16_t p2_;
};

std::ostream& operator<<(std::ostream& os, const Parameters& v);

}  // namespace tavrix

template <>
struct std::hash<tavrix::Parameters> {
  std::size_t operator()(const tavrix::Parameters& v) const noexcept {
    return static_cast<std::uint32_t>(v.hashCode());
  }
};
