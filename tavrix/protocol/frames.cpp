#include "tavrix/protocol/frames.h"

#include <algorithm>

#include "tavrix/cipher/aes_util.h"
#include "tavrix/protocol/random_source.h"

namespace tavrix::frames {
namespace {

enum class Fill { kByte, kHalf, kNone };

Words keyedWrite(const Bytes& key, std::uint32_t request, std::uint32_t value, Fill fill) {
  const std::uint32_t nonce = randomWord();
  std::uint32_t valueWord = value;
  if (fill == Fill::kByte) {
    valueWord = (value << 24) | (randomWord() & 0x00FFFFFFu);
  } else if (fill == Fill::kHalf) {
    valueWord = (value << 16) | (randomWord() & 0x0000FFFFu);
  }
  const std::uint32_t filler = randomWord();
  return encipherFrame({kCiphered5Words, nonce, request, valueWord, filler}, key);
}

}  // namespace

Words encipherFrame(const Words& frame, const Bytes& key) {
  return AESUtil::encryptUInt(frame, 1, static_cast<std::int32_t>(frame.size()) - 1, key,
                              AESUtil::zeroIv());
}

Words keyedRead(const Bytes& key, std::uint32_t request) {
  const std::uint32_t nonce = randomWord();
  const std::uint32_t filler1 = randomWord();
  const std::uint32_t filler2 = randomWord();
  return encipherFrame({kCiphered5Words, nonce, request, filler1, filler2}, key);
}

Words keyedWrite1(const Bytes& key, std::uint32_t request, std::uint8_t v) {
  return keyedWrite(key, request, v, Fill::kByte);
}

Words keyedWrite2(const Bytes& key, std::uint32_t request, std::uint16_t v) {
  return keyedWrite(key, request, v, Fill::kHalf);
}

Words keyedWrite4(const Bytes& key, std::uint32_t request, std::uint32_t v) {
  return keyedWrite(key, request, v, Fill::kNone);
}

Words decipherPayload(const Words& payload, const Bytes& key) {
  const Bytes first16(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(
                                                     std::min<std::size_t>(key.size(), 16)));
  return AESUtil::decryptUInt(payload, 0, static_cast<std::int32_t>(payload.size()) - 1, first16,
                              AESUtil::zeroIv());
}

std::uint32_t wordAt(const Bytes& bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
         std::uint32_t{bytes[at + 2]} << 8 | std::uint32_t{bytes[at + 3]};
}

}  // namespace tavrix::frames
