#pragma once

#include <array>
#include <cstdint>

#include "tavrix/values/bytes.h"

namespace tavrix {

// AES-128 (FIPS-197, ten rounds) made of its round steps; one 16-byte block at a time.
// Chaining, padding and argument checks belong to AESUtil.
class AESPlatform {
 public:
  using State = std::array<std::array<std::uint8_t, 4>, 4>;  // state[row][column]
  using Word = std::array<std::uint8_t, 4>;
  using KeySchedule = std::array<Word, 44>;  // round key k = words 4k .. 4k+3
  using Block = std::array<std::uint8_t, 16>;

  // The single shared instance; its tables are constant.
  static const AESPlatform& instance();

  // Reads the first 16 bytes of `key`; callers guarantee at least 16.
  KeySchedule keyExpansion(const std::uint8_t* key) const;
  // Throws std::invalid_argument when `key` holds fewer than 16 bytes.
  KeySchedule keyExpansion(const Bytes& key) const;

  void subBytes(State& s) const;
  void invSubBytes(State& s) const;
  void shiftRows(State& s) const;
  void invShiftRows(State& s) const;
  void mixColumns(State& s) const;
  void invMixColumns(State& s) const;
  // Throws std::invalid_argument for a round outside 0..10.
  void addRoundKey(State& s, const KeySchedule& w, int round) const;

  // x[i] = a[i] ^ b[i]; throws std::invalid_argument("Arrays must have the same length").
  Bytes xorBytes(const Bytes& a, const Bytes& b) const;

  Block encryptBlock(const Block& in, const KeySchedule& w) const;
  Block decryptBlock(const Block& in, const KeySchedule& w) const;
  // Convenience forms that derive the schedule for one block (key checked as keyExpansion does).
  Block encryptBlock(const Block& in, const Bytes& key) const;
  Block decryptBlock(const Block& in, const Bytes& key) const;

  const std::array<std::int32_t, 256>& sBox() const { return sBox_; }
  const std::array<std::int32_t, 256>& invSBox() const { return invSBox_; }
  const std::array<std::int32_t, 11>& rCon() const { return rCon_; }

 private:
  AESPlatform();

  std::array<std::int32_t, 256> sBox_;
  std::array<std::int32_t, 256> invSBox_;
  std::array<std::int32_t, 11> rCon_;
};

}  // namespace tavrix
