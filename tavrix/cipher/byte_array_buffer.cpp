#include "tavrix/cipher/byte_array_buffer.h"

#include <cstddef>
#include <limits>
#include <stdexcept>

namespace tavrix {

namespace {

// Bytes left after `position`, also refusing a step that would carry the 32-bit position past its
// range (only reachable with arrays beyond 2 GiB).
bool hasWord(const Bytes& array, std::int32_t position) {
  const auto pos = static_cast<std::size_t>(position);
  return position <= std::numeric_limits<std::int32_t>::max() - 4 && array.size() >= pos &&
         array.size() - pos >= 4;
}

}  // namespace

ByteArrayBuffer ByteArrayBuffer::allocate(std::int32_t size) {
  if (size < 0) {
    throw std::invalid_argument("Buffer size must not be negative");
  }
  return ByteArrayBuffer(Bytes(static_cast<std::size_t>(size), 0));
}

ByteArrayBuffer ByteArrayBuffer::wrap(const Bytes& bytes) {
  return ByteArrayBuffer(bytes);
}

ByteArrayBuffer& ByteArrayBuffer::putInt(std::uint32_t v) {
  if (!hasWord(array_, position_)) {
    throw std::invalid_argument("Not enough space to put Int");
  }
  const auto at = static_cast<std::size_t>(position_);
  array_[at] = static_cast<std::uint8_t>(v >> 24);
  array_[at + 1] = static_cast<std::uint8_t>(v >> 16);
  array_[at + 2] = static_cast<std::uint8_t>(v >> 8);
  array_[at + 3] = static_cast<std::uint8_t>(v);
  position_ += 4;
  return *this;
}

std::uint32_t ByteArrayBuffer::getInt() {
  if (!hasWord(array_, position_)) {
    throw std::invalid_argument("Not enough bytes to get Int");
  }
  const auto at = static_cast<std::size_t>(position_);
  const std::uint32_t v = (std::uint32_t{array_[at]} << 24) |
                          (std::uint32_t{array_[at + 1]} << 16) |
                          (std::uint32_t{array_[at + 2]} << 8) | std::uint32_t{array_[at + 3]};
  position_ += 4;
  return v;
}

}  // namespace tavrix
