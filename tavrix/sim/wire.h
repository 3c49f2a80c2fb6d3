#pragma once

#include <cstddef>
#include <cstdint>

#include "tavrix/values/bytes.h"

namespace tavrix::sim::wire {

// The low `n` bytes of `v`, most significant first.
inline Bytes bigEndian(std::uint64_t v, std::size_t n) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) {
    out[i] = static_cast<std::uint8_t>(v >> (8 * (n - 1 - i)));
  }
  return out;
}

// Bytes read as one unsigned number, most significant first (at most 8 bytes are meaningful).
inline std::uint64_t number(const Bytes& b) {
  std::uint64_t v = 0;
  for (std::uint8_t x : b) {
    v = v << 8 | x;
  }
  return v;
}

// The bytes of `count` words from `first` on, each most significant byte first.
inline Bytes wordBytes(const Words& w, std::size_t first, std::size_t count) {
  Bytes out;
  out.reserve(4 * count);
  for (std::size_t i = first; i < first + count; ++i) {
    const Bytes b = bigEndian(w[i], 4);
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

// Bytes cut into words, each group of 4 most significant byte first; the size is a multiple of 4.
inline Words toWords(const Bytes& b) {
  Words out;
  out.reserve(b.size() / 4);
  for (std::size_t i = 0; i + 4 <= b.size(); i += 4) {
    out.push_back(std::uint32_t{b[i]} << 24 | std::uint32_t{b[i + 1]} << 16 |
                  std::uint32_t{b[i + 2]} << 8 | std::uint32_t{b[i + 3]});
  }
  return out;
}

}  // namespace tavrix::sim::wire
