// Every command against a tag that answers with well-framed but arbitrary words, now and then a
// malformed answer or an error, and that leaves the field after a budget of exchanges. Whatever
// the tag does, a command must come back with a Result (a value exactly when OK), never throw,
// and never read or write out of bounds (the sanitizer build checks the latter).
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <stdexcept>
#include <string>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/random_source.h"
#include "tests/support/run_sync.h"

namespace tavrix {
namespace {

class HostileTag : public NFCTag {
 public:
  HostileTag(std::uint32_t seed, std::uint32_t faultEvery, std::size_t budget)
      : rng_(seed), faultEvery_(faultEvery), budget_(budget) {}

  asio::awaitable<Bytes> transceive(Bytes data) override {
    // The trigger must echo the command byte of the header word last written.
    if (data.size() == 9 && data[5] == 0x60 && data[6] == 0 && data[7] == 0) {
      lastCommandByte_ = data[8];
    }
    if (budget_ == 0) {
      co_return Bytes{};
    }
    --budget_;
    const auto roll = pick(2 * faultEvery_);
    if (roll == 0) {
      throw std::runtime_error("tag lost");
    }
    if (roll == 1) {
      Bytes junk(pick(8));
      for (auto& b : junk) {
        b = static_cast<std::uint8_t>(pick(256));
      }
      co_return junk;
    }
    co_return wellFramed(data);
  }

 private:
  std::uint32_t pick(std::uint32_t n) {
    return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng_);
  }

  // The answer the command expects, with arbitrary words where the lock would put its own.
  Bytes wellFramed(const Bytes& cmd) {
    auto framed = [this](std::uint8_t f) {
      // Status words are mostly "accepted", so commands get past the first frame.
      return Bytes{f,
                   static_cast<std::uint8_t>(pick(256)),
                   static_cast<std::uint8_t>(pick(256)),
                   static_cast<std::uint8_t>(pick(256)),
                   static_cast<std::uint8_t>(pick(256)),
                   f};
    };
    if (cmd.size() == 2) {
      return {0x47, 0x47};
    }
    if (cmd.size() == 9) {
      return {0x70, 0x70};
    }
    if (cmd.size() == 5 && cmd[0] == 0x60 && cmd[1] == 0x02) {
      return {0x60, 0x60, 0x00, 0x00, lastCommandByte_, 0x60};
    }
    if (cmd.size() == 5 && cmd[0] == 0x60) {
      return framed(0x60);
    }
    return framed(0x80);
  }

  std::mt19937 rng_;
  std::uint32_t faultEvery_;
  std::size_t budget_;
  std::uint8_t lastCommandByte_ = 0;
};

// Counts, per command, how often the hostile tag let it through, so the test shows that it
// reached the answer parsers and not only the failure paths.
class Tally {
 public:
  template <class T>
  void add(const char* command, const Outcome<T>& o) {
    EXPECT_EQ(o.value().has_value(), o.result() == Result::OK) << command;
    add(command, o.result());
  }
  void add(const char* command, Result r) { ok_[command] += r == Result::OK ? 1 : 0; }
  int ok(const char* command) const { return ok_.count(command) ? ok_.at(command) : 0; }

 private:
  std::map<std::string, int> ok_;
};

TEST(HostileTag, NoAnswerCanCrashOrConfuseACommand) {
  SeededRandom kitRandom(7);
  ScopedRandomSource scoped(kitRandom);
  const Bytes key(16, 0x5A);
  const DeviceInfo info(0x0123456789ABCDEFull, false);
  const Device d(0x1000);
  Tally tally;
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE(seed);
    // Faults in one exchange in 10, 100 or 1000, so that some commands run deep.
    HostileTag t(seed, std::array<std::uint32_t, 3>{10, 100, 1000}[seed % 3], 4000);
    EXPECT_NO_THROW({
      tally.add("init", testing::runSync(DeviceManager::init(t)));
      tally.add("getRssi", testing::runSync(DeviceManager::getRssi(t, d)));
      tally.add("getInfo", testing::runSync(DeviceManager::getInfo(t, d)));
      tally.add("select", testing::runSync(DeviceManager::select(t, d, UserType::SUPERVISOR)));
      tally.add("getVersion", testing::runSync(DeviceManager::getVersion(t, d, key)));
      tally.add("getChargeLevel", testing::runSync(DeviceManager::getChargeLevel(t, d, key)));
      tally.add("control", testing::runSync(DeviceManager::control(t, d, key, Ctrl::UNLOCK)));
      tally.add("getControlProgress",
                testing::runSync(DeviceManager::getControlProgress(t, d, key)));
      tally.add("setKey", testing::runSync(DeviceManager::setKey(t, d, info, key, key)));
      tally.add("setParameters", testing::runSync(DeviceManager::setParameters(
                                     t, d, key, Parameters(Met::TIMER, CV::HIGH, 1, 2, 3))));
      tally.add("getLog", testing::runSync(DeviceManager::getLog(t, d, key)));
      tally.add("call", testing::runSync(DeviceManager::call(t, d, 4, Words(15, 1), 16)));
    });
  }
  for (const char* command : {"init", "getInfo", "select", "getVersion", "getChargeLevel",
                              "control", "getControlProgress", "setParameters", "call"}) {
    EXPECT_GT(tally.ok(command), 0) << command;
  }
}

}  // namespace
}  // namespace tavrix
