#pragma once

#include <array>
#include <cstdint>

#include "tavrix/cipher/aes_platform.h"

namespace tavrix {

// AES-128 key expansion over explicit tables, so that AESPlatform and anyone checking the
// schedule against altered tables share one routine. Reads key[0..15].
AESPlatform::KeySchedule expandKey128(const std::uint8_t* key,
                                      const std::array<std::int32_t, 256>& sBox,
                                      const std::array<std::int32_t, 11>& rCon);

}  // namespace tavrix
