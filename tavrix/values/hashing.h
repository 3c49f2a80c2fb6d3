#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "tavrix/values/enums.h"

namespace tavrix::hashing {

// Field hashes of the values' hash codes. All arithmetic wraps modulo 2^32.

inline std::int32_t of(std::uint16_t v) { return static_cast<std::int16_t>(v); }
inline std::int32_t of(std::uint32_t v) { return static_cast<std::int32_t>(v); }
inline std::int32_t of(std::uint64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(v ^ (v >> 32)));
}
inline std::int32_t of(bool v) { return v ? 1231 : 1237; }
// Polynomial hash with multiplier 31 over the text's UTF-16 code units.
std::int32_t ofText(std::string_view utf8);
template <class E>
std::int32_t ofEnum(E e) {
  return enumHash(e);
}
template <class E>
std::int32_t ofEnum(const std::optional<E>& e) {
  return e ? enumHash(*e) : 0;
}

// h = 31·h + field, starting from the first field's hash.
class Folder {
 public:
  explicit Folder(std::int32_t first) : h_(static_cast<std::uint32_t>(first)) {}
  Folder& add(std::int32_t field) {
    h_ = 31u * h_ + static_cast<std::uint32_t>(field);
    return *this;
  }
  std::int32_t get() const { return static_cast<std::int32_t>(h_); }

 private:
  std::uint32_t h_;
};

}  // namespace tavrix::hashing
