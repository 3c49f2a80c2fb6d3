// Lasting state: saved as JSON, loaded whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <nlohmann/json.hpp>

#include "tavrix/sim/simulated_lock.h"
#include "tavrix/sim/state_file.h"
#include "tests/sim/lock_host.h"

namespace tavrix::sim {
namespace {

using nlohmann::json;
using testing::LockHost;

class SimState : public ::testing::Test {
 protected:
  SimState() {
    dir = std::filesystem::temp_directory_path() /
          ("tavrix-sim-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  ~SimState() override { std::filesystem::remove_all(dir); }

  void writeText(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
  }

  std::filesystem::path dir;
};

TEST_F(SimState, SavedStateComesBackWholeInAnotherLock) {
  LockConfig config;
  config.password = "first";
  config.log = {{42, std::string("\xff\x00z", 3), 9}};  // bytes, not text, survive
  SimulatedLock first(config);
  LockState s = first.state();
  s.isNew = false;
  s.locked = false;
  s.customData[5] = 0xCAFEBABE;
  s.motor.timerP2 = 77;
  first.setState(s);
  const auto file = dir / "lock.json";
  first.saveState(file);

  SimulatedLock second;  // another password, identity and log
  second.loadState(file);
  EXPECT_EQ(second.state(), s);
  EXPECT_EQ(stateFromJson(stateToJson(s)), s);

  // The loaded key is the one the lock now answers to.
  LockHost host(second);
  ASSERT_TRUE(host.startContact());
  ASSERT_GT(host.select(1), 0xFFFFu);
  EXPECT_TRUE(host.keyedRead(0x07040001, s.key));
}

TEST_F(SimState, DamagedOrForeignFilesAreRejectedAndChangeNothing) {
  SimulatedLock lock;
  const json good = json::parse(stateToJson(lock.state()));
  using Edit = std::function<void(json&)>;
  const std::pair<const char*, Edit> cases[] = {
      {"format marker", [](json& j) { j["format"] = "something-else"; }},
      {"no format marker", [](json& j) { j.erase("format"); }},
      {"version", [](json& j) { j["version"] = 2; }},
      {"version as text", [](json& j) { j["version"] = "1"; }},
      {"missing id", [](json& j) { j.erase("id"); }},
      {"short id", [](json& j) { j["id"] = "0123"; }},
      {"bad hex", [](json& j) { j["key"] = std::string(31, '0') + "g"; }},
      {"odd hex", [](json& j) { j["key"] = std::string(31, '0'); }},
      {"15-byte key", [](json& j) { j["supervisorKey"] = std::string(30, '0'); }},
      {"key as number", [](json& j) { j["key"] = 5; }},
      {"new flag as text", [](json& j) { j["isNew"] = "yes"; }},
      {"negative version word", [](json& j) { j["firmwareVersion"] = -1; }},
      {"version word too big", [](json& j) { j["firmwareVersion"] = 0x100000000; }},
      {"unknown drive method", [](json& j) { j["motor"]["method"] = 9; }},
      {"missing motor field", [](json& j) { j["motor"].erase("timerP1"); }},
      {"13 custom words", [](json& j) { j["customData"].erase(0); }},
      {"custom word as text", [](json& j) { j["customData"][0] = "0"; }},
      {"log not a list", [](json& j) { j["log"] = json::object(); }},
      {"log name of 25 bytes",
       [](json& j) {
         j["log"] = json::array({{{"time", 1}, {"user", std::string(50, 'a')}, {"operation", 1}}});
       }},
      {"log operation too big",
       [](json& j) {
         j["log"] = json::array({{{"time", 1}, {"user", ""}, {"operation", 256}}});
       }},
  };
  LockState changed = lock.state();
  changed.locked = !changed.locked;
  lock.setState(changed);
  for (const auto& [what, edit] : cases) {
    json j = good;
    edit(j);
    const auto file = dir / "bad.json";
    writeText(file, j.dump());
    EXPECT_THROW(lock.loadState(file), StateFileError) << what;
    EXPECT_EQ(lock.state(), changed) << what;
  }
  for (const char* text : {"", "{", "[]", "null", "{\"format\": \"tavrix-simulated-lock\"}"}) {
    EXPECT_THROW(stateFromJson(text), StateFileError) << text;
  }
  EXPECT_THROW(lock.loadState(dir / "missing.json"), StateFileError);
  EXPECT_EQ(lock.state(), changed);
}

}  // namespace
}  // namespace tavrix::sim
