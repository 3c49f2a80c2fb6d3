#include "tavrix/protocol/random_source.h"

#include <sys/random.h>

#include <cerrno>
#include <cstddef>
#include <random>

namespace tavrix {
namespace {

thread_local RandomSource* currentSource = nullptr;

// Words are taken from the system in batches so that a frame does not cost a system call per
// word.
class SystemPool {
 public:
  std::uint32_t next() {
    if (used_ == kWords) {
      refill();
    }
    return words_[used_++];
  }

 private:
  static constexpr std::size_t kWords = 64;

  void refill() {
    auto* bytes = reinterpret_cast<unsigned char*>(words_);
    std::size_t filled = 0;
    while (filled < sizeof(words_)) {
      const ssize_t got = getrandom(bytes + filled, sizeof(words_) - filled, 0);
      if (got > 0) {
        filled += static_cast<std::size_t>(got);
      } else if (got < 0 && errno != EINTR) {
        fallback(filled);
        break;
      }
    }
    used_ = 0;
  }

  // Without getrandom (very old kernels) the standard library's device serves.
  void fallback(std::size_t filled) {
    std::random_device device;
    for (std::size_t i = filled / sizeof(std::uint32_t); i < kWords; ++i) {
      words_[i] = device();
    }
  }

  std::uint32_t words_[kWords] = {};
  std::size_t used_ = kWords;
};

}  // namespace

std::uint32_t SystemRandom::nextWord() {
  thread_local SystemPool pool;
  return pool.next();
}

std::uint32_t SeededRandom::nextWord() {
  // splitmix64
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
}

std::uint32_t randomWord() {
  if (currentSource != nullptr) {
    return currentSource->nextWord();
  }
  static SystemRandom system;
  return system.nextWord();
}

ScopedRandomSource::ScopedRandomSource(RandomSource& source) : previous_(currentSource) {
  currentSource = &source;
}

ScopedRandomSource::~ScopedRandomSource() { currentSource = previous_; }

}  // namespace tavrix
