#include <gtest/gtest.h>

#include <string>

#include "tavrix/protocol/device_manager.h"
#include "tests/support/openssl_reference.h"

namespace tavrix {
namespace {

Bytes bytesOf(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

Bytes padded(Bytes b) {
  b.resize(16, 0);
  return b;
}

TEST(ToFixed16, CutsOrZeroPadsTheUtf8BytesToSixteen) {
  const std::string sixteen = "0123456789abcdef";
  // Six 3-byte characters: 18 bytes, cut inside the sixth character.
  const std::string sixChars =
      "\xE5\xAF\x86\xE7\xA0\x81\xE9\x97\xA8\xE9\x94\x81\xE6\x96\xB0\xE9\x94\x99";
  const struct {
    std::string password;
    Bytes key;
  } cases[] = {
      {"", Bytes(16, 0)},
      {"123456", padded(bytesOf("123456"))},
      {sixteen, bytesOf(sixteen)},
      {sixteen + "g", bytesOf(sixteen)},
      {sixChars, bytesOf(sixChars.substr(0, 16))},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DeviceManager::toFixed16(c.password), c.key) << c.password;
  }
  // Five whole characters and the lead byte of the sixth.
  EXPECT_EQ(DeviceManager::toFixed16(sixChars).back(), 0xE9);
}

TEST(Enc, IsTheAesOfTheIdentityTwiceUnderTheKey) {
  const Bytes key = DeviceManager::toFixed16("123456");
  const DeviceInfo info(0x0123456789ABCDEFull, false);
  const Bytes block{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                    0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  const Bytes expected = testing::opensslCbc(testing::Direction::Encrypt, block, key, Bytes(16, 0));
  EXPECT_EQ(DeviceManager::enc(key, info), expected);
  EXPECT_EQ(DeviceManager::enc(key, info.withIsNew(true)), expected);
  EXPECT_NE(DeviceManager::enc(key, info.withId(0x0123456789ABCDEEull)), expected);
  EXPECT_THROW(DeviceManager::enc(Bytes(15, 0), info), std::invalid_argument);
}

}  // namespace
}  // namespace tavrix
