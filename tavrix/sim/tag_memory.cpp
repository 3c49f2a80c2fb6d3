#include "tavrix/sim/tag_memory.h"

namespace tavrix::sim {

std::uint32_t TagMemory::readWord(std::uint32_t address) const {
  std::uint32_t word = 0;
  for (std::uint32_t i = 0; i < 4; ++i) {
    const auto it = bytes_.find(address + i);
    word = word << 8 | (it == bytes_.end() ? 0u : it->second);
  }
  return word;
}

void TagMemory::store(std::uint32_t address, std::uint32_t word) {
  for (std::uint32_t i = 0; i < 4; ++i) {
    bytes_[address + i] = static_cast<std::uint8_t>(word >> (24 - 8 * i));
  }
}

void TagMemory::hostWrite(std::uint32_t address, std::uint32_t word) {
  store(address, word);
  fresh_.insert(address);
}

bool TagMemory::writtenSinceTrigger(std::uint32_t address) const {
  return fresh_.contains(address);
}

void TagMemory::writeAnswer(std::uint32_t address, const Words& words) {
  for (std::uint32_t w : words) {
    store(address, w);
    address += 4;
  }
}

}  // namespace tavrix::sim
