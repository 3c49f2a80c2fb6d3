#include "tavrix/cipher/aes_platform.h"

#include <cstddef>
#include <stdexcept>

#include "tavrix/cipher/aes_key_expansion.h"
#include "tavrix/cipher/aes_tables.h"

namespace tavrix {

namespace {

// Multiplication by x in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr std::uint8_t xtime(std::uint8_t x) {
  return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) != 0 ? 0x1b : 0x00));
}

AESPlatform::State load(const AESPlatform::Block& block) {
  AESPlatform::State s{};
  for (std::size_t c = 0; c < 4; ++c) {
    for (std::size_t r = 0; r < 4; ++r) {
      s[r][c] = block[r + 4 * c];
    }
  }
  return s;
}

AESPlatform::Block store(const AESPlatform::State& s) {
  AESPlatform::Block block{};
  for (std::size_t c = 0; c < 4; ++c) {
    for (std::size_t r = 0; r < 4; ++r) {
      block[r + 4 * c] = s[r][c];
    }
  }
  return block;
}

void substitute(AESPlatform::State& s, const std::array<std::int32_t, 256>& table) {
  for (auto& row : s) {
    for (auto& v : row) {
      v = static_cast<std::uint8_t>(table[v]);
    }
  }
}

// Round numbers come from the block loops below, which stay within 0..10.
void addRoundKeyUnchecked(AESPlatform::State& s, const AESPlatform::KeySchedule& w,
                          std::size_t round) {
  for (std::size_t c = 0; c < 4; ++c) {
    const AESPlatform::Word& k = w[4 * round + c];
    for (std::size_t r = 0; r < 4; ++r) {
      s[r][c] = static_cast<std::uint8_t>(s[r][c] ^ k[r]);
    }
  }
}

const std::uint8_t* checkedKey(const Bytes& key) {
  // Only the first 16 bytes are read; a shorter key would be read past its end.
  if (key.size() < 16) {
    throw std::invalid_argument("Key length must be 16 bytes (128 bits)");
  }
  return key.data();
}

}  // namespace

const AESPlatform& AESPlatform::instance() {
  static const AESPlatform platform;
  return platform;
}

AESPlatform::AESPlatform()
    : sBox_(aes_tables::kSBox), invSBox_(aes_tables::kInvSBox), rCon_(aes_tables::kRCon) {}

AESPlatform::KeySchedule AESPlatform::keyExpansion(const std::uint8_t* key) const {
  return expandKey128(key, sBox_, rCon_);
}

AESPlatform::KeySchedule AESPlatform::keyExpansion(const Bytes& key) const {
  return keyExpansion(checkedKey(key));
}

void AESPlatform::subBytes(State& s) const {
  substitute(s, sBox_);
}

void AESPlatform::invSubBytes(State& s) const {
  substitute(s, invSBox_);
}

void AESPlatform::shiftRows(State& s) const {
  s[1] = {s[1][1], s[1][2], s[1][3], s[1][0]};
  s[2] = {s[2][2], s[2][3], s[2][0], s[2][1]};
  s[3] = {s[3][3], s[3][0], s[3][1], s[3][2]};
}

void AESPlatform::invShiftRows(State& s) const {
  s[1] = {s[1][3], s[1][0], s[1][1], s[1][2]};
  s[2] = {s[2][2], s[2][3], s[2][0], s[2][1]};
  s[3] = {s[3][1], s[3][2], s[3][3], s[3][0]};
}

void AESPlatform::mixColumns(State& s) const {
  for (std::size_t c = 0; c < 4; ++c) {
    const std::uint8_t a0 = s[0][c], a1 = s[1][c], a2 = s[2][c], a3 = s[3][c];
    const std::uint8_t b0 = xtime(a0), b1 = xtime(a1), b2 = xtime(a2), b3 = xtime(a3);
    s[0][c] = static_cast<std::uint8_t>(b0 ^ (b1 ^ a1) ^ a2 ^ a3);
    s[1][c] = static_cast<std::uint8_t>(a0 ^ b1 ^ (b2 ^ a2) ^ a3);
    s[2][c] = static_cast<std::uint8_t>(a0 ^ a1 ^ b2 ^ (b3 ^ a3));
    s[3][c] = static_cast<std::uint8_t>((b0 ^ a0) ^ a1 ^ a2 ^ b3);
  }
}

void AESPlatform::invMixColumns(State& s) const {
  struct Multiples {
    std::uint8_t m9, m11, m13, m14;
  };
  const auto multiples = [](std::uint8_t x) {
    const std::uint8_t x2 = xtime(x), x4 = xtime(x2), x8 = xtime(x4);
    return Multiples{static_cast<std::uint8_t>(x8 ^ x), static_cast<std::uint8_t>(x8 ^ x2 ^ x),
                     static_cast<std::uint8_t>(x8 ^ x4 ^ x),
                     static_cast<std::uint8_t>(x8 ^ x4 ^ x2)};
  };
  for (std::size_t c = 0; c < 4; ++c) {
    const Multiples a0 = multiples(s[0][c]), a1 = multiples(s[1][c]), a2 = multiples(s[2][c]),
                    a3 = multiples(s[3][c]);
    s[0][c] = static_cast<std::uint8_t>(a0.m14 ^ a1.m11 ^ a2.m13 ^ a3.m9);
    s[1][c] = static_cast<std::uint8_t>(a0.m9 ^ a1.m14 ^ a2.m11 ^ a3.m13);
    s[2][c] = static_cast<std::uint8_t>(a0.m13 ^ a1.m9 ^ a2.m14 ^ a3.m11);
    s[3][c] = static_cast<std::uint8_t>(a0.m11 ^ a1.m13 ^ a2.m9 ^ a3.m14);
  }
}

void AESPlatform::addRoundKey(State& s, const KeySchedule& w, int round) const {
  if (round < 0 || round > 10) {
    throw std::invalid_argument("Round number must be between 0 and 10");
  }
  addRoundKeyUnchecked(s, w, static_cast<std::size_t>(round));
}

Bytes AESPlatform::xorBytes(const Bytes& a, const Bytes& b) const {
  if (a.size() != b.size()) {
    throw std::invalid_argument("Arrays must have the same length");
  }
  Bytes x(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    x[i] = static_cast<std::uint8_t>(a[i] ^ b[i]);
  }
  return x;
}

AESPlatform::Block AESPlatform::encryptBlock(const Block& in, const KeySchedule& w) const {
  State s = load(in);
  addRoundKeyUnchecked(s, w, 0);
  for (std::size_t round = 1; round <= 9; ++round) {
    subBytes(s);
    shiftRows(s);
    mixColumns(s);
    addRoundKeyUnchecked(s, w, round);
  }
  subBytes(s);
  shiftRows(s);
  addRoundKeyUnchecked(s, w, 10);
  return store(s);
}

AESPlatform::Block AESPlatform::decryptBlock(const Block& in, const KeySchedule& w) const {
  State s = load(in);
  addRoundKeyUnchecked(s, w, 10);
  for (std::size_t round = 9; round >= 1; --round) {
    invShiftRows(s);
    invSubBytes(s);
    addRoundKeyUnchecked(s, w, round);
    invMixColumns(s);
  }
  invShiftRows(s);
  invSubBytes(s);
  addRoundKeyUnchecked(s, w, 0);
  return store(s);
}

AESPlatform::Block AESPlatform::encryptBlock(const Block& in, const Bytes& key) const {
  return encryptBlock(in, keyExpansion(key));
}

AESPlatform::Block AESPlatform::decryptBlock(const Block& in, const Bytes& key) const {
  return decryptBlock(in, keyExpansion(key));
}

}  // namespace tavrix
