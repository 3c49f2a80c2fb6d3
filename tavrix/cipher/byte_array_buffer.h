#pragma once

#include <cstdint>
#include <utility>

#include "tavrix/values/bytes.h"

namespace tavrix {

// Big-endian word buffer over an owned byte array.
class ByteArrayBuffer {
 public:
  // A buffer over `size` zero bytes; negative sizes throw std::invalid_argument.
  static ByteArrayBuffer allocate(std::int32_t size);
  // A buffer over a copy of `bytes`.
  static ByteArrayBuffer wrap(const Bytes& bytes);

  // Writes v most significant byte first at position; "Not enough space to put Int" when fewer
  // than 4 bytes are left.
  ByteArrayBuffer& putInt(std::uint32_t v);
  // Reads a word at position; "Not enough bytes to get Int" when fewer than 4 bytes are left.
  std::uint32_t getInt();

  const Bytes& array() const { return array_; }
  std::int32_t position() const { return position_; }

 private:
  explicit ByteArrayBuffer(Bytes bytes) : array_(std::move(bytes)) {}

  Bytes array_;
  std::int32_t position_ = 0;
};

}  // namespace tavrix
