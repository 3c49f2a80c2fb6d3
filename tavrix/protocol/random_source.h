#pragma once

#include <cstdint>

namespace tavrix {

// Source of the random words in frames: nonces, filler words, filler bytes and the bits below a
// value. Nothing on the wire checks them, but they should not be guessable.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual std::uint32_t nextWord() = 0;
};

// The operating system's cryptographic generator (getrandom).
class SystemRandom final : public RandomSource {
 public:
  std::uint32_t nextWord() override;
};

// A deterministic sequence for tests and fuzzing (never for real locks).
class SeededRandom final : public RandomSource {
 public:
  explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
  std::uint32_t nextWord() override;

 private:
  std::uint64_t state_;
};

// Draws one word from the source in effect on this thread: the innermost ScopedRandomSource,
// else the system generator.
std::uint32_t randomWord();

// Makes `source` the random source of the current thread for the lifetime of this object.
class ScopedRandomSource {
 public:
  explicit ScopedRandomSource(RandomSource& source);
  ~ScopedRandomSource();
  ScopedRandomSource(const ScopedRandomSource&) = delete;
  ScopedRandomSource& operator=(const ScopedRandomSource&) = delete;

 private:
  RandomSource* previous_;
};

}  // namespace tavrix
