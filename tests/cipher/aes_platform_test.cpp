#include "tavrix/cipher/aes_platform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tavrix/cipher/aes_key_expansion.h"
#include "tests/cipher/error_message.h"
#include "tests/support/openssl_reference.h"
#include "tests/support/scripted_tag.h"

namespace tavrix {
namespace {

using testing::Direction;
using testing::hex;
using testing::invalidArgumentMessage;
using testing::opensslCbc;

AESPlatform::Block toBlock(const Bytes& bytes) {
  AESPlatform::Block block{};
  std::copy_n(bytes.begin(), block.size(), block.begin());
  return block;
}

Bytes toBytes(const AESPlatform::Block& block) {
  return Bytes(block.begin(), block.end());
}

const AESPlatform& aes() {
  return AESPlatform::instance();
}

struct BlockVector {
  std::string name;
  Bytes key;
  Bytes plain;
  Bytes cipher;
};

TEST(AESPlatformTest, ReproducesTheFips197Examples) {
  const std::vector<BlockVector> vectors = {
      {"Appendix B", hex("2b7e151628aed2a6abf7158809cf4f3c"),
       hex("3243f6a8885a308d313198a2e0370734"), hex("3925841d02dc09fbdc118597196a0b32")},
      {"Appendix C.1", hex("000102030405060708090a0b0c0d0e0f"),
       hex("00112233445566778899aabbccddeeff"), hex("69c4e0d86a7b0430d8cdb78070b4c55a")},
  };
  const Bytes zeroIv(16, 0);
  for (const auto& v : vectors) {
    SCOPED_TRACE(v.name);
    // The typed-in vector itself is confirmed by an independent implementation.
    ASSERT_EQ(opensslCbc(Direction::Encrypt, v.plain, v.key, zeroIv), v.cipher);

    EXPECT_EQ(toBytes(aes().encryptBlock(toBlock(v.plain), v.key)), v.cipher);
    EXPECT_EQ(toBytes(aes().decryptBlock(toBlock(v.cipher), v.key)), v.plain);
    const auto w = aes().keyExpansion(v.key);
    EXPECT_EQ(toBytes(aes().encryptBlock(toBlock(v.plain), w)), v.cipher);
    EXPECT_EQ(toBytes(aes().decryptBlock(toBlock(v.cipher), w)), v.plain);
  }
}

TEST(AESPlatformTest, BytesFrom0x80UpAreNeverTreatedAsNegative) {
  const std::vector<Bytes> keys = {Bytes(16, 0xff), Bytes(16, 0x80),
                                   hex("80 91 a2 b3 c4 d5 e6 f7 f8 e9 da cb bc ad 9e 8f")};
  const std::vector<Bytes> blocks = {Bytes(16, 0xff),
                                     hex("ff 80 fe 81 fd 82 fc 83 fb 84 fa 85 f9 86 f8 87")};
  const Bytes zeroIv(16, 0);
  for (const auto& key : keys) {
    for (const auto& block : blocks) {
      EXPECT_EQ(toBytes(aes().encryptBlock(toBlock(block), key)),
                opensslCbc(Direction::Encrypt, block, key, zeroIv));
      EXPECT_EQ(toBytes(aes().decryptBlock(toBlock(block), key)),
                opensslCbc(Direction::Decrypt, block, key, zeroIv));
    }
  }
}

TEST(AESPlatformTest, KeyExpansionMatchesFips197AppendixA1) {
  const auto w = aes().keyExpansion(hex("2b7e151628aed2a6abf7158809cf4f3c"));
  const std::vector<std::pair<std::size_t, std::string>> expected = {
      {0, "2b7e1516"},  {3, "09cf4f3c"},  {4, "a0fafe17"},  {5, "88542cb1"},
      {6, "23a33939"},  {7, "2a6c7605"},  {36, "ac7766f3"}, {39, "575c006e"},
      {40, "d014f9a8"}, {41, "c9ee2589"}, {42, "e13f0cc8"}, {43, "b6630ca6"},
  };
  for (const auto& [index, word] : expected) {
    EXPECT_EQ(Bytes(w[index].begin(), w[index].end()), hex(word)) << "w[" << index << "]";
  }
}

TEST(AESPlatformTest, RoundConstantEntryZeroHasNoEffect) {
  EXPECT_THAT(aes().rCon(), ::testing::ElementsAre(0x8d, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40,
                                                   0x80, 0x1b, 0x36));
  const std::vector<Bytes> keys = {hex("2b7e151628aed2a6abf7158809cf4f3c"), Bytes(16, 0xff)};
  for (const std::int32_t entryZero : {0x00, 0x01, 0xff}) {
    auto rCon = aes().rCon();
    rCon[0] = entryZero;
    for (const auto& key : keys) {
      EXPECT_EQ(expandKey128(key.data(), aes().sBox(), rCon), aes().keyExpansion(key))
          << "entry 0 = " << entryZero;
    }
  }
}

TEST(AESPlatformTest, ShiftRowsRotatesRowRLeftByRPlaces) {
  AESPlatform::State s{};
  for (std::size_t r = 0; r < 4; ++r) {
    for (std::size_t c = 0; c < 4; ++c) {
      s[r][c] = static_cast<std::uint8_t>(0x10 * r + c);
    }
  }
  const AESPlatform::State original = s;
  const AESPlatform::State shifted = {{{0x00, 0x01, 0x02, 0x03},
                                       {0x11, 0x12, 0x13, 0x10},
                                       {0x22, 0x23, 0x20, 0x21},
                                       {0x33, 0x30, 0x31, 0x32}}};
  aes().shiftRows(s);
  EXPECT_EQ(s, shifted);
  aes().invShiftRows(s);
  EXPECT_EQ(s, original);
}

TEST(AESPlatformTest, MixColumnsMatchesPublishedColumns) {
  // Column before and after MixColumns: the first pair is round 1 of FIPS-197 Appendix B, the
  // others are the widely published MixColumns test columns.
  const std::vector<std::pair<std::string, std::string>> columns = {
      {"d4bf5d30", "046681e5"}, {"db135345", "8e4da1bc"}, {"f20a225c", "9fdc589d"},
      {"01010101", "01010101"}, {"c6c6c6c6", "c6c6c6c6"}, {"d4d4d4d5", "d5d5d7d6"},
      {"2d26314c", "4d7ebdf8"},
  };
  for (const auto& [before, after] : columns) {
    SCOPED_TRACE(before);
    const Bytes in = hex(before);
    const Bytes out = hex(after);
    // The same column in every position, so that every column index is exercised.
    AESPlatform::State s{};
    for (std::size_t r = 0; r < 4; ++r) {
      s[r].fill(in[r]);
    }
    aes().mixColumns(s);
    for (std::size_t r = 0; r < 4; ++r) {
      EXPECT_THAT(s[r], ::testing::Each(out[r])) << "row " << r;
    }
    aes().invMixColumns(s);
    for (std::size_t r = 0; r < 4; ++r) {
      EXPECT_THAT(s[r], ::testing::Each(in[r])) << "row " << r;
    }
  }
}

TEST(AESPlatformTest, XorBytes) {
  EXPECT_EQ(aes().xorBytes({}, {}), Bytes{});
  EXPECT_EQ(aes().xorBytes(hex("0f f0 ff 00 80"), hex("ff ff 00 00 01")), hex("f0 0f ff 00 81"));
}

TEST(AESPlatformTest, ArgumentErrors) {
  AESPlatform::State s{};
  const auto w = aes().keyExpansion(Bytes(16, 0));
  const std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {[] { aes().xorBytes(Bytes(16, 0), Bytes(15, 0)); }, "Arrays must have the same length"},
      {[] { aes().xorBytes(Bytes{}, Bytes(1, 0)); }, "Arrays must have the same length"},
      {[] { aes().keyExpansion(Bytes(15, 0)); }, "Key length must be 16 bytes (128 bits)"},
      {[] { aes().encryptBlock(AESPlatform::Block{}, Bytes{}); },
       "Key length must be 16 bytes (128 bits)"},
      {[&] { aes().addRoundKey(s, w, 11); }, "Round number must be between 0 and 10"},
      {[&] { aes().addRoundKey(s, w, -1); }, "Round number must be between 0 and 10"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(invalidArgumentMessage(cases[i].first), cases[i].second) << "case " << i;
  }
}

}  // namespace
}  // namespace tavrix
