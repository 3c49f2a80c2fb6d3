#include "tavrix/cipher/aes_util.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

#include "tavrix/cipher/aes_platform.h"

namespace tavrix {

namespace {

constexpr std::size_t kBlockSize = 16;

void checkKeyAndIv(const Bytes& key, const Bytes& iv) {
  if (key.size() != kBlockSize) {
    throw std::invalid_argument("Key length must be 16 bytes (128 bits)");
  }
  if (iv.size() != kBlockSize) {
    throw std::invalid_argument("IV length must be 16 bytes");
  }
}

AESPlatform::Block blockAt(const Bytes& bytes, std::size_t offset) {
  AESPlatform::Block block;
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), kBlockSize, block.begin());
  return block;
}

// Checks the word range in the order whose first failure callers rely on, and returns the
// number of words it holds.
std::size_t checkedRangeLength(const Words& list, std::int32_t fromIndex, std::int32_t toIndex) {
  const auto last = static_cast<std::int64_t>(list.size()) - 1;
  if (fromIndex > last) {
    throw std::invalid_argument("fromIndex out of bounds");
  }
  if (toIndex < 0 || toIndex > last) {
    throw std::invalid_argument("toIndex out of bounds");
  }
  if (fromIndex < 0 || fromIndex > toIndex) {
    throw std::invalid_argument("fromIndex must be <= toIndex");
  }
  const auto n = static_cast<std::size_t>(toIndex - fromIndex) + 1;
  if ((4 * n) % kBlockSize != 0) {
    throw std::invalid_argument("Byte size of range must be multiple of 16 for AES NoPadding");
  }
  return n;
}

// Runs the words fromIndex..toIndex through `cipher` as big-endian bytes; the other words are
// copied unchanged.
template <typename Cipher>
Words transformRange(const Words& list, std::int32_t fromIndex, std::int32_t toIndex,
                     Cipher&& cipher) {
  const std::size_t n = checkedRangeLength(list, fromIndex, toIndex);
  const auto from = static_cast<std::size_t>(fromIndex);

  Bytes in;
  in.reserve(4 * n);
  for (std::size_t i = from; i < from + n; ++i) {
    const std::uint32_t v = list[i];
    in.insert(in.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                         static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
  }
  const Bytes out = cipher(in);

  Words result(list);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t b = 4 * i;
    result[from + i] = (std::uint32_t{out[b]} << 24) | (std::uint32_t{out[b + 1]} << 16) |
                       (std::uint32_t{out[b + 2]} << 8) | std::uint32_t{out[b + 3]};
  }
  return result;
}

}  // namespace

Bytes AESUtil::encrypt(const Bytes& data, const Bytes& key, const Bytes& iv) {
  checkKeyAndIv(key, iv);
  if (data.size() % kBlockSize != 0) {
    throw std::invalid_argument("Data length must be a multiple of 16 bytes (NoPadding mode)");
  }
  const AESPlatform& aes = AESPlatform::instance();
  // One schedule serves every block of the call.
  const AESPlatform::KeySchedule w = aes.keyExpansion(key);
  Bytes result(data.size());
  AESPlatform::Block chain = blockAt(iv, 0);
  for (std::size_t offset = 0; offset < data.size(); offset += kBlockSize) {
    AESPlatform::Block block = blockAt(data, offset);
    for (std::size_t i = 0; i < kBlockSize; ++i) {
      block[i] = static_cast<std::uint8_t>(block[i] ^ chain[i]);
    }
    chain = aes.encryptBlock(block, w);
    std::copy(chain.begin(), chain.end(), result.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  return result;
}

Bytes AESUtil::decrypt(const Bytes& data, const Bytes& key, const Bytes& iv) {
  checkKeyAndIv(key, iv);
  if (data.size() % kBlockSize != 0) {
    throw std::invalid_argument(
        "Encrypted data length must be a multiple of 16 bytes (NoPadding mode)");
  }
  const AESPlatform& aes = AESPlatform::instance();
  const AESPlatform::KeySchedule w = aes.keyExpansion(key);
  Bytes result(data.size());
  AESPlatform::Block chain = blockAt(iv, 0);
  for (std::size_t offset = 0; offset < data.size(); offset += kBlockSize) {
    const AESPlatform::Block cipherBlock = blockAt(data, offset);
    const AESPlatform::Block plain = aes.decryptBlock(cipherBlock, w);
    for (std::size_t i = 0; i < kBlockSize; ++i) {
      result[offset + i] = static_cast<std::uint8_t>(plain[i] ^ chain[i]);
    }
    chain = cipherBlock;
  }
  return result;
}

Words AESUtil::encryptUInt(const Words& list, std::int32_t fromIndex, std::int32_t toIndex,
                           const Bytes& key, const Bytes& iv) {
  return transformRange(list, fromIndex, toIndex,
                        [&](const Bytes& bytes) { return encrypt(bytes, key, iv); });
}

Words AESUtil::decryptUInt(const Words& list, std::int32_t fromIndex, std::int32_t toIndex,
                           const Bytes& key, const Bytes& iv) {
  return transformRange(list, fromIndex, toIndex,
                        [&](const Bytes& bytes) { return decrypt(bytes, key, iv); });
}

}  // namespace tavrix
