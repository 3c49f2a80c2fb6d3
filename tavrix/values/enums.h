#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <type_traits>

#include "tavrix/values/enum_info.h"

namespace tavrix {

// Motor drive method.
enum class Met : std::uint8_t { SINGLE = 1, VOLTAGE = 2, TIMER = 3 };
// Clamping voltage in millivolts.
enum class CV : std::uint16_t { LOW = 3000, MEDIUM = 3300, HIGH = 3600 };
// Lock operation.
enum class Ctrl : std::uint8_t { LOCK = 1, UNLOCK = 2 };
// Role selected on the lock; the supervisor's code is 0xFE.
enum class UserType : std::uint8_t { NORMAL = 1, SUPERVISOR = 254 };
// Direction of a custom-data operation.
enum class CustomDataConfig : std::uint32_t { WRITE = 1, READ = 2 };

template <>
struct EnumInfo<Met> {
  static constexpr bool coded = true;
  static constexpr std::array<EnumEntry<Met>, 3> entries{
      {{Met::SINGLE, "SINGLE"}, {Met::VOLTAGE, "VOLTAGE"}, {Met::TIMER, "TIMER"}}};
};
template <>
struct EnumInfo<CV> {
  static constexpr bool coded = true;
  static constexpr std::array<EnumEntry<CV>, 3> entries{
      {{CV::LOW, "LOW"}, {CV::MEDIUM, "MEDIUM"}, {CV::HIGH, "HIGH"}}};
};
template <>
struct EnumInfo<Ctrl> {
  static constexpr bool coded = true;
  static constexpr std::array<EnumEntry<Ctrl>, 2> entries{
      {{Ctrl::LOCK, "LOCK"}, {Ctrl::UNLOCK, "UNLOCK"}}};
};
template <>
struct EnumInfo<UserType> {
  static constexpr bool coded = true;
  static constexpr std::array<EnumEntry<UserType>, 2> entries{
      {{UserType::NORMAL, "NORMAL"}, {UserType::SUPERVISOR, "SUPERVISOR"}}};
};
template <>
struct EnumInfo<CustomDataConfig> {
  static constexpr bool coded = true;
  static constexpr std::array<EnumEntry<CustomDataConfig>, 2> entries{
      {{CustomDataConfig::WRITE, "WRITE"}, {CustomDataConfig::READ, "READ"}}};
};

template <class E>
concept CodedEnum = std::is_enum_v<E> && EnumInfo<E>::coded;

// The numeric code a constant carries on the wire.
template <CodedEnum E>
constexpr std::underlying_type_t<E> value(E e) {
  return static_cast<std::underlying_type_t<E>>(e);
}

// The constant carrying `v`, or nothing. The tables are compile-time constants, so lookups are
// safe from any number of threads.
template <CodedEnum E>
constexpr std::optional<E> fromValue(std::underlying_type_t<E> v) {
  for (const auto& entry : constants<E>()) {
    if (value(entry.constant) == v) {
      return entry.constant;
    }
  }
  return std::nullopt;
}

// Hash of an enumeration constant inside a value's hash code: stable across runs, distinct per
// constant of one enumeration.
template <class E>
constexpr std::int32_t enumHash(E e) {
  return ordinal(e) + 1;
}

template <CodedEnum E>
std::ostream& operator<<(std::ostream& os, E e) {
  return os << name(e);
}

}  // namespace tavrix
