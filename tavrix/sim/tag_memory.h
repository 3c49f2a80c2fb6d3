#pragma once

#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "tavrix/values/bytes.h"

namespace tavrix::sim {

// The tag's byte-addressed memory (addresses wrap at 2^32); bytes never written read as 0.
// It remembers which words the host wrote since the last trigger, so the microcontroller never
// takes stale or unwritten memory for part of a request.
class TagMemory {
 public:
  std::uint32_t readWord(std::uint32_t address) const;

  // A word written by the host over the air.
  void hostWrite(std::uint32_t address, std::uint32_t word);
  bool writtenSinceTrigger(std::uint32_t address) const;
  void forgetHostWrites() { fresh_.clear(); }

  // The microcontroller's answer, word k at address + 4k.
  void writeAnswer(std::uint32_t address, const Words& words);

 private:
  void store(std::uint32_t address, std::uint32_t word);

  std::unordered_map<std::uint32_t, std::uint8_t> bytes_;
  std::unordered_set<std::uint32_t> fresh_;
};

}  // namespace tavrix::sim
