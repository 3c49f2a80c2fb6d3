#pragma once

#include <cstddef>
#include <cstdint>

#include "tavrix/values/bytes.h"

// Frame builders shared by the lock commands. Internal to the protocol layer.
namespace tavrix::frames {

// Length words: bytes that follow word 0, and whether they are enciphered.
inline constexpr std::uint32_t kClear3Words = 0x00080001;
inline constexpr std::uint32_t kClear4Words = 0x000C0001;
inline constexpr std::uint32_t kCiphered5Words = 0x00108001;
inline constexpr std::uint32_t kCiphered9Words = 0x00208001;

// Length word of a frame of `words` words in total.
constexpr std::uint32_t lengthWord(std::uint32_t words, bool enciphered) {
  return ((4 * (words - 1)) << 16) + (enciphered ? 0x8001u : 0x0001u);
}

// Words 1 to the last enciphered under `key` with a zero IV; word 0 stays in clear.
Words encipherFrame(const Words& frame, const Bytes& key);

// A 5-word read request: nonce, request word, two filler words; enciphered under `key`.
Words keyedRead(const Bytes& key, std::uint32_t request);

// 5-word write requests: nonce, request word, value word, one filler word; enciphered under
// `key`. The value sits in the top bytes of the value word; fresh random bits fill the rest.
// Random words are drawn in word order.
Words keyedWrite1(const Bytes& key, std::uint32_t request, std::uint8_t v);
Words keyedWrite2(const Bytes& key, std::uint32_t request, std::uint16_t v);
// The whole value word is the value, without random bits.
Words keyedWrite4(const Bytes& key, std::uint32_t request, std::uint32_t v);

// The whole payload deciphered under the first 16 bytes of `key` with a zero IV.
Words decipherPayload(const Words& payload, const Bytes& key);

// The word made of bytes[at .. at + 3], first byte most significant.
std::uint32_t wordAt(const Bytes& bytes, std::size_t at);

}  // namespace tavrix::frames
