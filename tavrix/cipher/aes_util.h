#pragma once

#include <cstdint>

#include "tavrix/values/bytes.h"

namespace tavrix {

// AES-128 in CBC mode without padding, on byte arrays and on word ranges of a word list (words
// laid out most significant byte first). Pure functions: inputs are never modified. Argument
// errors are std::invalid_argument with fixed messages.
class AESUtil {
 public:
  AESUtil() = delete;

  static Bytes encrypt(const Bytes& data, const Bytes& key, const Bytes& iv);
  static Bytes decrypt(const Bytes& data, const Bytes& key, const Bytes& iv);

  // The words fromIndex..toIndex (inclusive) replaced by their CBC cipher/plain words; the range
  // must be a whole number of 16-byte blocks.
  static Words encryptUInt(const Words& list, std::int32_t fromIndex, std::int32_t toIndex,
                           const Bytes& key, const Bytes& iv);
  static Words decryptUInt(const Words& list, std::int32_t fromIndex, std::int32_t toIndex,
                           const Bytes& key, const Bytes& iv);

  // 16 zero bytes, the IV of every frame and answer on the wire.
  static Bytes zeroIv() { return Bytes(16, 0); }
};

}  // namespace tavrix
