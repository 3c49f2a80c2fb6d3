#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "tavrix/cipher/aes_util.h"
#include "tests/support/openssl_reference.h"

namespace tavrix {
namespace {

using testing::Direction;
using testing::opensslCbc;

Bytes randomBytes(std::mt19937& rng, std::size_t n) {
  std::uniform_int_distribution<int> byte(0, 255);
  Bytes out(n);
  for (auto& b : out) {
    b = static_cast<std::uint8_t>(byte(rng));
  }
  return out;
}

// Random keys, IVs and data of 0 to 8 blocks against OpenSSL in both directions. The seed is
// fixed so that a failing case can be replayed.
TEST(AESUtilCrossCheckTest, AgreesWithOpenSslOnRandomInputs) {
  std::mt19937 rng(0x7a5c1e);
  std::uniform_int_distribution<std::size_t> blocks(0, 8);
  for (int round = 0; round < 500; ++round) {
    const Bytes key = randomBytes(rng, 16);
    const Bytes iv = randomBytes(rng, 16);
    const Bytes data = randomBytes(rng, 16 * blocks(rng));
    SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(data.size()) + " bytes");

    const Bytes cipher = AESUtil::encrypt(data, key, iv);
    ASSERT_EQ(cipher, opensslCbc(Direction::Encrypt, data, key, iv));
    // Random data read as cipher text exercises decryption on inputs encryption never produced.
    ASSERT_EQ(AESUtil::decrypt(data, key, iv), opensslCbc(Direction::Decrypt, data, key, iv));
    ASSERT_EQ(AESUtil::decrypt(cipher, key, iv), data);
  }
}

}  // namespace
}  // namespace tavrix
