#include "tavrix/cipher/aes_key_expansion.h"

#include <cstddef>

namespace tavrix {

AESPlatform::KeySchedule expandKey128(const std::uint8_t* key,
                                      const std::array<std::int32_t, 256>& sBox,
                                      const std::array<std::int32_t, 11>& rCon) {
  AESPlatform::KeySchedule w{};
  for (std::size_t i = 0; i < 4; ++i) {
    for (std::size_t j = 0; j < 4; ++j) {
      w[i][j] = key[4 * i + j];
    }
  }
  for (std::size_t i = 4; i < w.size(); ++i) {
    AESPlatform::Word t = w[i - 1];
    if (i % 4 == 0) {
      t = {static_cast<std::uint8_t>(sBox[t[1]]), static_cast<std::uint8_t>(sBox[t[2]]),
           static_cast<std::uint8_t>(sBox[t[3]]), static_cast<std::uint8_t>(sBox[t[0]])};
      t[0] = static_cast<std::uint8_t>(t[0] ^ rCon[i / 4]);
    }
    for (std::size_t j = 0; j < 4; ++j) {
      w[i][j] = static_cast<std::uint8_t>(w[i - 4][j] ^ t[j]);
    }
  }
  return w;
}

}  // namespace tavrix
