#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tavrix/protocol/device_manager.h"
#include "tavrix/protocol/platform_clock.h"
#include "tavrix/sim/simulated_lock.h"
#include "tests/support/run_sync.h"

namespace tavrix {
namespace {

using sim::LockConfig;
using sim::SimulatedLock;
using testing::runSync;

// Contacts with a simulated lock, counting the raw exchanges each command makes.
class OnSimulatedLock : public ::testing::Test {
 protected:
  OnSimulatedLock() { reset({}); }

  void reset(LockConfig config) {
    lock_.reset();
    lock_.emplace(std::move(config));
  }
  SimulatedLock& lock() { return *lock_; }

  // A new contact: mailbox found and a user selected, as every keyed command needs.
  Device open(UserType type = UserType::NORMAL) {
    const auto d = runSync(DeviceManager::init(lock()));
    EXPECT_TRUE(d.isOk());
    const Device device = d.value().value_or(Device(0));
    EXPECT_EQ(runSync(DeviceManager::select(lock(), device, type)), Result::OK);
    return device;
  }

  Bytes sessionKey() {
    const LockConfig& c = lock().config();
    return DeviceManager::enc(DeviceManager::toFixed16(c.password), DeviceInfo(c.id, c.isNew));
  }
  Bytes supervisorKey() { return DeviceManager::toFixed16(lock().config().supervisorSecret); }

  // Runs `aw` and notes how many raw exchanges it made.
  template <class T>
  T run(asio::awaitable<T> aw) {
    const std::uint64_t before = lock().exchangeCount();
    T out = runSync(std::move(aw));
    lastExchanges_ = lock().exchangeCount() - before;
    return out;
  }
  std::uint64_t lastExchanges() const { return lastExchanges_; }

 private:
  std::optional<SimulatedLock> lock_;
  std::uint64_t lastExchanges_ = 0;
};

TEST_F(OnSimulatedLock, DiscoversIdentityAndNewFlag) {
  const auto d = run(DeviceManager::init(lock()));
  ASSERT_EQ(d, Outcome<Device>::ok(Device(lock().config().startAddress)));
  EXPECT_EQ(run(DeviceManager::getRssi(lock(), *d.value())),
            Outcome<std::uint32_t>::ok(lock().config().rssi));
  EXPECT_EQ(run(DeviceManager::getInfo(lock(), *d.value())),
            Outcome<DeviceInfo>::ok(DeviceInfo(lock().config().id, true)));

  LockConfig used;
  used.isNew = false;
  used.id = 0xFEDCBA9876543210;
  reset(used);
  const Device device = open(UserType::SUPERVISOR);
  EXPECT_EQ(run(DeviceManager::getInfo(lock(), device)),
            Outcome<DeviceInfo>::ok(DeviceInfo(0xFEDCBA9876543210, false)));
}

TEST_F(OnSimulatedLock, EveryCommandMakesExactlyItsExchanges) {
  LockConfig config;
  config.log = {{1, "ann", 1}, {2, "bo", 2}};
  reset(config);
  const Bytes key = sessionKey();
  std::optional<Device> d;
  const auto keyed = [&] { return *d; };
  struct Case {
    std::string command;
    std::function<Result()> run;
    std::uint64_t exchanges;
  };
  // In this order on one contact: the keyed commands need the selection made before them.
  const std::vector<Case> cases{
      {"init",
       [&] {
         const auto out = run(DeviceManager::init(lock()));
         d = out.value();
         return out.result();
       },
       2},
      {"getRssi", [&] { return run(DeviceManager::getRssi(lock(), keyed())).result(); }, 4},
      {"getInfo", [&] { return run(DeviceManager::getInfo(lock(), keyed())).result(); }, 22},
      {"select", [&] { return run(DeviceManager::select(lock(), keyed(), UserType::NORMAL)); }, 8},
      {"getVersion", [&] { return run(DeviceManager::getVersion(lock(), keyed(), key)).result(); },
       13},
      {"getChargeLevel",
       [&] { return run(DeviceManager::getChargeLevel(lock(), keyed(), key)).result(); }, 26},
      {"control", [&] { return run(DeviceManager::control(lock(), keyed(), key, Ctrl::UNLOCK)); },
       36},
      {"getControlProgress",
       [&] { return run(DeviceManager::getControlProgress(lock(), keyed(), key)).result(); }, 13},
      {"setParameters SINGLE",
       [&] {
         return run(
             DeviceManager::setParameters(lock(), keyed(), key, {Met::SINGLE, CV::LOW, 1, 2, 3}));
       },
       36},
      {"setParameters VOLTAGE",
       [&] {
         return run(
             DeviceManager::setParameters(lock(), keyed(), key, {Met::VOLTAGE, CV::LOW, 1, 2, 3}));
       },
       45},
      {"setParameters TIMER",
       [&] {
         return run(
             DeviceManager::setParameters(lock(), keyed(), key, {Met::TIMER, CV::LOW, 1, 2, 3}));
       },
       45},
      {"getLog (2 entries)",
       [&] { return run(DeviceManager::getLog(lock(), keyed(), key)).result(); }, 13 + 2 * 68},
      {"setKey",
       [&] {
         return run(DeviceManager::setKey(lock(), keyed(), DeviceInfo(lock().config().id, true),
                                          key, supervisorKey()));
       },
       81},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.run(), Result::OK) << c.command;
    EXPECT_EQ(lastExchanges(), c.exchanges) << c.command;
  }
}

TEST_F(OnSimulatedLock, UnlocksAndLogsTheMovement) {
  ScopedClock clock([] { return std::int64_t{1700000000123}; });
  const Device d = open();
  const Bytes key = sessionKey();
  EXPECT_EQ(run(DeviceManager::getVersion(lock(), d, key)), Outcome<Words>::ok({1, 0, 2, 0}));

  std::vector<ChargeLevel> charge;
  for (int i = 0; i < 4; ++i) {
    charge.push_back(*run(DeviceManager::getChargeLevel(lock(), d, key)).value());
  }
  EXPECT_EQ(charge, (std::vector<ChargeLevel>{{25, false}, {50, false}, {75, false}, {100, true}}));

  EXPECT_EQ(run(DeviceManager::control(lock(), d, key, Ctrl::UNLOCK)), Result::OK);
  std::vector<ControlProgress> progress;
  for (int i = 0; i < 4; ++i) {
    progress.push_back(*run(DeviceManager::getControlProgress(lock(), d, key)).value());
  }
  EXPECT_EQ(progress,
            (std::vector<ControlProgress>{{25, false}, {50, false}, {75, false}, {100, true}}));
  EXPECT_FALSE(lock().state().locked);
  EXPECT_EQ(run(DeviceManager::getLog(lock(), d, key)),
            Outcome<std::vector<DeviceLog>>::ok({DeviceLog(1700000000, "u", Ctrl::UNLOCK)}));
}

TEST_F(OnSimulatedLock, ChargeArithmeticOnRealAnswers) {
  struct Case {
    std::uint16_t target;
    std::uint16_t step;
    std::vector<ChargeLevel> readings;
  };
  for (const Case& c : {Case{200, 100, {{50, false}, {100, true}}},
                        Case{3, 1, {{33, false}, {66, false}, {100, true}}},
                        Case{0, 5, {{0, false}}}, Case{65535, 65534, {{99, false}}}}) {
    LockConfig config;
    config.chargeTarget = c.target;
    config.chargeStep = c.step;
    reset(config);
    const Device d = open();
    std::vector<ChargeLevel> readings;
    for (std::size_t i = 0; i < c.readings.size(); ++i) {
      readings.push_back(*run(DeviceManager::getChargeLevel(lock(), d, sessionKey())).value());
    }
    EXPECT_EQ(readings, c.readings) << c.target << "/" << c.step;
  }
}

TEST_F(OnSimulatedLock, WritesParametersOfEachMethod) {
  const Device d = open();
  EXPECT_EQ(run(DeviceManager::setParameters(lock(), d, sessionKey(),
                                             {Met::VOLTAGE, CV::HIGH, 700, 11, 12})),
            Result::OK);
  EXPECT_EQ(run(DeviceManager::setParameters(lock(), d, sessionKey(),
                                             {Met::TIMER, CV::MEDIUM, 800, 21, 22})),
            Result::OK);
  EXPECT_EQ(run(DeviceManager::setParameters(lock(), d, sessionKey(),
                                             {Met::SINGLE, CV::LOW, 65535, 31, 32})),
            Result::OK);
  sim::MotorParameters expected;
  expected.method = 1;
  expected.clampingVoltage = 3000;
  expected.totalMotorRuntime = 65535;
  expected.voltageP1 = 11;
  expected.voltageP2 = 12;
  expected.timerP1 = 21;
  expected.timerP2 = 22;
  expected.singleP1 = 31;
  EXPECT_EQ(lock().state().motor, expected);
}

TEST_F(OnSimulatedLock, ReadsLogNamesOfEveryLength) {
  LockConfig config;
  config.log = {
      {0x0000000100000002, "", 1}, {1700000000, "alice", 2}, {42, "abcdefghijklmnopqrstuvwx", 1}};
  reset(config);
  const Device d = open();
  EXPECT_EQ(
      run(DeviceManager::getLog(lock(), d, sessionKey())),
      Outcome<std::vector<DeviceLog>>::ok({DeviceLog(0x0000000100000002, "", Ctrl::LOCK),
                                           DeviceLog(1700000000, "alice", Ctrl::UNLOCK),
                                           DeviceLog(42, "abcdefghijklmnopqrstuvwx", Ctrl::LOCK)}));
  EXPECT_EQ(lastExchanges(), 13u + 3 * 68);
}

TEST_F(OnSimulatedLock, WrongKeyIsRefusedAtTheFirstFrame) {
  const Device d = open();
  lock().setTracing(true);
  const Bytes wrong =
      DeviceManager::enc(DeviceManager::toFixed16("654321"), DeviceInfo(lock().config().id, true));
  EXPECT_EQ(run(DeviceManager::control(lock(), d, wrong, Ctrl::UNLOCK)), Result::UNAUTHORIZED);
  EXPECT_EQ(lastExchanges(), 9u);  // the date-time block only
  EXPECT_EQ(run(DeviceManager::getChargeLevel(lock(), d, wrong)),
            Outcome<ChargeLevel>::failed(Result::UNAUTHORIZED));
  EXPECT_EQ(lastExchanges(), 13u);
  EXPECT_EQ(lock().frames().size(), 2u);
  EXPECT_TRUE(lock().state().locked);
}

TEST_F(OnSimulatedLock, KeyChangeSwapsTheSessionKey) {
  const Bytes oldKey = sessionKey();
  const Bytes newKey = DeviceManager::enc(DeviceManager::toFixed16("new-pass"),
                                          DeviceInfo(lock().config().id, true));
  const Device d = open(UserType::SUPERVISOR);
  EXPECT_EQ(run(DeviceManager::setKey(lock(), d, DeviceInfo(lock().config().id, true), newKey,
                                      supervisorKey())),
            Result::OK);
  EXPECT_EQ(lock().state().key, newKey);
  EXPECT_TRUE(run(DeviceManager::getVersion(lock(), d, newKey)).isOk());
  EXPECT_EQ(run(DeviceManager::getVersion(lock(), d, oldKey)),
            Outcome<Words>::failed(Result::UNAUTHORIZED));
}

TEST_F(OnSimulatedLock, ProofForAnotherIdentitySendsNoCommit) {
  const Bytes oldKey = sessionKey();
  const Device d = open();
  lock().setTracing(true);
  EXPECT_EQ(run(DeviceManager::setKey(lock(), d, DeviceInfo(lock().config().id + 1, true),
                                      Bytes(16, 0x77), supervisorKey())),
            Result::ERROR);
  EXPECT_EQ(lastExchanges(), 72u);
  EXPECT_EQ(lock().frames().size(), 4u);
  EXPECT_EQ(lock().state().key, oldKey);
}

TEST_F(OnSimulatedLock, TagLeavingTheFieldEndsTheCommand) {
  for (const auto mode : {sim::LeaveMode::THROW, sim::LeaveMode::EMPTY_ANSWER}) {
    reset({});
    const Device d = open();
    sim::Faults faults;
    faults.leaveFieldAt = lock().exchangeCount() + 20;  // inside the user block
    faults.leaveMode = mode;
    lock().setFaults(faults);
    EXPECT_EQ(run(DeviceManager::control(lock(), d, sessionKey(), Ctrl::LOCK)), Result::ERROR);
    EXPECT_EQ(lastExchanges(), 20u);
    EXPECT_EQ(run(DeviceManager::init(lock())), Outcome<Device>::failed(Result::ERROR));
    EXPECT_EQ(lastExchanges(), 1u);
  }
}

TEST_F(OnSimulatedLock, CorruptedFramingByteFailsTheExchange) {
  // Exchange 3 of getVersion acknowledges a word write; exchange 10 answers a word read.
  for (const std::uint64_t at : {3u, 8u, 10u}) {
    reset({});
    const Device d = open();
    sim::Faults faults;
    faults.corruptAnswerAt = lock().exchangeCount() + at;
    lock().setFaults(faults);
    EXPECT_EQ(run(DeviceManager::getVersion(lock(), d, sessionKey())),
              Outcome<Words>::failed(Result::ERROR))
        << at;
    EXPECT_EQ(lastExchanges(), at);
  }
}

TEST_F(OnSimulatedLock, RefusedParameterStopsTheRest) {
  const Device d = open();
  sim::Faults faults;
  faults.refusedObjects = {0x1007};
  lock().setFaults(faults);
  lock().setTracing(true);
  EXPECT_EQ(
      run(DeviceManager::setParameters(lock(), d, sessionKey(), {Met::TIMER, CV::HIGH, 5, 6, 7})),
      Result::UNAUTHORIZED);
  EXPECT_EQ(lock().frames().size(), 3u);
  EXPECT_EQ(lock().state().motor.clampingVoltage, 3600);
  EXPECT_EQ(lock().state().motor.timerP1, 0);
}

}  // namespace
}  // namespace tavrix
