#pragma once

#include <cstdint>
#include <vector>

namespace tavrix {

// Raw bytes: tag commands and answers, keys, IVs, host data.
using Bytes = std::vector<std::uint8_t>;

// Ordered 32-bit words: frames, answers and payloads. Wherever a word meets bytes it is laid
// out most significant byte first.
using Words = std::vector<std::uint32_t>;

}  // namespace tavrix
