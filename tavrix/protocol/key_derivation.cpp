#include <algorithm>

#include "tavrix/cipher/aes_util.h"
#include "tavrix/protocol/device_manager.h"

namespace tavrix {

Bytes DeviceManager::toFixed16(std::string_view password) {
  // std::string_view holds UTF-8 already; bytes past 16 are cut, even inside a character.
  Bytes key(16, 0);
  std::copy_n(password.begin(), std::min<std::size_t>(password.size(), 16), key.begin());
  return key;
}

Bytes DeviceManager::enc(const Bytes& key, const DeviceInfo& info) {
  Bytes block(16);
  // The identity, most significant byte first, twice.
  for (std::size_t i = 0; i < 8; ++i) {
    const auto b = static_cast<std::uint8_t>(info.id() >> (56 - 8 * i));
    block[i] = b;
    block[i + 8] = b;
  }
  return AESUtil::encrypt(block, key, AESUtil::zeroIv());
}

}  // namespace tavrix
