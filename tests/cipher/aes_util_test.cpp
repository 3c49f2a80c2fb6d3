#include "tavrix/cipher/aes_util.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/cipher/error_message.h"
#include "tests/support/openssl_reference.h"
#include "tests/support/scripted_tag.h"

namespace tavrix {
namespace {

using testing::Direction;
using testing::hex;
using testing::invalidArgumentMessage;
using testing::opensslCbc;

// NIST SP 800-38A, F.2.1 (CBC-AES128.Encrypt) and F.2.2 (CBC-AES128.Decrypt).
const Bytes kSpKey = hex("2b7e151628aed2a6abf7158809cf4f3c");
const Bytes kSpIv = hex("000102030405060708090a0b0c0d0e0f");
const Bytes kSpPlain =
    hex("6bc1bee22e409f96e93d7e117393172a ae2d8a571e03ac9c9eb76fac45af8e51"
        "30c81c46a35ce411e5fbc1191a0a52ef f69f2445df4f9b17ad2b417be66c3710");
const Bytes kSpCipher =
    hex("7649abac8119b246cee98e9b12e9197d 5086cb9b507219ee95db113a917678b2"
        "73bed6b8e3c1743b7116e69e22229516 3ff1caa1681fac09120eca307586e1a7");

// FIPS-197 Appendix C.1 as big-endian words.
const Bytes kC1Key = hex("000102030405060708090a0b0c0d0e0f");
const Words kC1Plain = {0x00112233, 0x44556677, 0x8899aabb, 0xccddeeff};
const Words kC1Cipher = {0x69c4e0d8, 0x6a7b0430, 0xd8cdb780, 0x70b4c55a};

TEST(AESUtilTest, MatchesSp80038aCbcVectors) {
  ASSERT_EQ(opensslCbc(Direction::Encrypt, kSpPlain, kSpKey, kSpIv), kSpCipher);
  ASSERT_EQ(opensslCbc(Direction::Decrypt, kSpCipher, kSpKey, kSpIv), kSpPlain);

  EXPECT_EQ(AESUtil::encrypt(kSpPlain, kSpKey, kSpIv), kSpCipher);
  EXPECT_EQ(AESUtil::decrypt(kSpCipher, kSpKey, kSpIv), kSpPlain);
  // Every prefix of whole blocks is its own chain from the same IV.
  for (std::size_t blocks = 0; blocks <= 4; ++blocks) {
    const auto end = static_cast<std::ptrdiff_t>(16 * blocks);
    const Bytes plain(kSpPlain.begin(), kSpPlain.begin() + end);
    const Bytes cipher(kSpCipher.begin(), kSpCipher.begin() + end);
    EXPECT_EQ(AESUtil::encrypt(plain, kSpKey, kSpIv), cipher) << blocks << " blocks";
    EXPECT_EQ(AESUtil::decrypt(cipher, kSpKey, kSpIv), plain) << blocks << " blocks";
  }
}

TEST(AESUtilTest, EncryptUIntLeavesWordZeroInClearAndLaysWordsOutBigEndian) {
  const Words list = {0xa5a5a5a5, kC1Plain[0], kC1Plain[1], kC1Plain[2], kC1Plain[3]};
  const Words before = list;

  const Words encrypted = AESUtil::encryptUInt(list, 1, 4, kC1Key, AESUtil::zeroIv());
  EXPECT_EQ(encrypted, (Words{0xa5a5a5a5, kC1Cipher[0], kC1Cipher[1], kC1Cipher[2], kC1Cipher[3]}));
  EXPECT_EQ(list, before);

  EXPECT_EQ(AESUtil::decryptUInt(encrypted, 1, 4, kC1Key, AESUtil::zeroIv()), list);
}

TEST(AESUtilTest, WordRangesRoundTripAndKeepWordsOutsideTheRange) {
  Words list(12);
  for (std::size_t i = 0; i < list.size(); ++i) {
    list[i] = 0x80000001u * static_cast<std::uint32_t>(i + 1) ^ 0x5a5a5a5au;
  }
  const Bytes key = hex("ff eedd cc bb aa 99 88 77 66 55 44 33 22 11 00");
  const Bytes iv = hex("0f 1e 2d 3c 4b 5a 69 78 87 96 a5 b4 c3 d2 e1 f0");
  const std::vector<std::pair<std::int32_t, std::int32_t>> ranges = {
      {0, 3}, {1, 4}, {8, 11}, {2, 9}, {0, 11}};
  for (const auto& [from, to] : ranges) {
    SCOPED_TRACE(std::to_string(from) + ".." + std::to_string(to));
    Bytes rangeBytes;
    for (auto i = from; i <= to; ++i) {
      const auto v = list[static_cast<std::size_t>(i)];
      rangeBytes.insert(rangeBytes.end(),
                        {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                         static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
    }
    const Bytes expectedCipher = opensslCbc(Direction::Encrypt, rangeBytes, key, iv);

    const Words encrypted = AESUtil::encryptUInt(list, from, to, key, iv);
    ASSERT_EQ(encrypted.size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      const auto index = static_cast<std::int32_t>(i);
      if (index < from || index > to) {
        EXPECT_EQ(encrypted[i], list[i]) << "word " << i;
      } else {
        const std::size_t b = 4 * static_cast<std::size_t>(index - from);
        const std::uint32_t expected = (std::uint32_t{expectedCipher[b]} << 24) |
                                       (std::uint32_t{expectedCipher[b + 1]} << 16) |
                                       (std::uint32_t{expectedCipher[b + 2]} << 8) |
                                       std::uint32_t{expectedCipher[b + 3]};
        EXPECT_EQ(encrypted[i], expected) << "word " << i;
      }
    }
    EXPECT_EQ(AESUtil::decryptUInt(encrypted, from, to, key, iv), list);
  }
}

struct ErrorCase {
  std::string name;
  std::function<void()> call;
  std::string message;
};

TEST(AESUtilTest, ArgumentErrorsAreReportedInOrder) {
  const Bytes k16(16, 1), k15(15, 1), k17(17, 1), iv16(16, 0), iv15(15, 0);
  const Words five = {1, 2, 3, 4, 5};
  const std::string key = "Key length must be 16 bytes (128 bits)";
  const std::string iv = "IV length must be 16 bytes";
  const std::string data = "Data length must be a multiple of 16 bytes (NoPadding mode)";
  const std::string encData =
      "Encrypted data length must be a multiple of 16 bytes (NoPadding mode)";
  const std::string fromBounds = "fromIndex out of bounds";
  const std::string toBounds = "toIndex out of bounds";
  const std::string order = "fromIndex must be <= toIndex";
  const std::string size = "Byte size of range must be multiple of 16 for AES NoPadding";

  const std::vector<ErrorCase> cases = {
      {"encrypt: short key before bad IV and length",
       [&] { AESUtil::encrypt(Bytes(15), k15, iv15); }, key},
      {"encrypt: long key", [&] { AESUtil::encrypt(Bytes(16), k17, iv16); }, key},
      {"encrypt: bad IV before bad length", [&] { AESUtil::encrypt(Bytes(15), k16, iv15); }, iv},
      {"encrypt: empty IV", [&] { AESUtil::encrypt(Bytes{}, k16, Bytes{}); }, iv},
      {"encrypt: 15 bytes", [&] { AESUtil::encrypt(Bytes(15), k16, iv16); }, data},
      {"encrypt: 17 bytes", [&] { AESUtil::encrypt(Bytes(17), k16, iv16); }, data},
      {"decrypt: short key before bad IV and length",
       [&] { AESUtil::decrypt(Bytes(17), k15, iv15); }, key},
      {"decrypt: bad IV before bad length", [&] { AESUtil::decrypt(Bytes(17), k16, iv15); }, iv},
      {"decrypt: 17 bytes", [&] { AESUtil::decrypt(Bytes(17), k16, iv16); }, encData},
      {"one word, from 1", [&] { AESUtil::encryptUInt({7}, 1, 0, k16, iv16); }, fromBounds},
      {"empty list, from 0", [&] { AESUtil::encryptUInt({}, 0, 0, k16, iv16); }, fromBounds},
      {"empty list, from 0 to -1", [&] { AESUtil::decryptUInt({}, 0, -1, k16, iv16); }, fromBounds},
      {"from beyond the end before bad to", [&] { AESUtil::encryptUInt(five, 5, 9, k16, iv16); },
       fromBounds},
      {"to 5 on five words", [&] { AESUtil::encryptUInt(five, 1, 5, k16, iv16); }, toBounds},
      {"negative to", [&] { AESUtil::decryptUInt(five, 0, -1, k16, iv16); }, toBounds},
      {"negative from and to: to reported first",
       [&] { AESUtil::encryptUInt(five, -1, -1, k16, iv16); }, toBounds},
      {"from above to", [&] { AESUtil::encryptUInt(five, 2, 1, k16, iv16); }, order},
      {"from -1", [&] { AESUtil::decryptUInt(five, -1, 2, k16, iv16); }, order},
      {"one-word range", [&] { AESUtil::encryptUInt(five, 1, 1, k16, iv16); }, size},
      {"range before key", [&] { AESUtil::decryptUInt(five, 1, 3, k15, iv15); }, size},
      {"word-list key check", [&] { AESUtil::encryptUInt(five, 1, 4, k15, iv16); }, key},
      {"word-list IV check", [&] { AESUtil::decryptUInt(five, 0, 3, k16, iv15); }, iv},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(invalidArgumentMessage(c.call), c.message) << c.name;
  }
}

}  // namespace
}  // namespace tavrix
