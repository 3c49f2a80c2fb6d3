#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace tavrix {

// One constant of an enumeration: the constant and its name.
template <class E>
struct EnumEntry {
  E constant;
  std::string_view name;
};

// Specialised for every enumeration of the kit, with `entries` in declaration order.
template <class E>
struct EnumInfo;

// The constants of an enumeration in declaration order.
template <class E>
constexpr std::span<const EnumEntry<E>> constants() {
  return EnumInfo<E>::entries;
}

// Position of the constant in declaration order, from 0.
template <class E>
constexpr int ordinal(E e) {
  const auto all = constants<E>();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i].constant == e) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// The constant's name, exactly as declared ("LOCK", "UNAUTHORIZED", ...).
template <class E>
constexpr std::string_view name(E e) {
  for (const auto& entry : constants<E>()) {
    if (entry.constant == e) {
      return entry.name;
    }
  }
  return {};
}

// Exact, case-sensitive lookup by name; nothing when no constant has that name.
template <class E>
constexpr std::optional<E> fromName(std::string_view n) {
  for (const auto& entry : constants<E>()) {
    if (entry.name == n) {
      return entry.constant;
    }
  }
  return std::nullopt;
}

}  // namespace tavrix
