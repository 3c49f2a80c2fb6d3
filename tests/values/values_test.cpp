#include <gtest/gtest.h>

#include <unordered_set>

#include "tavrix/values/charge_level.h"
#include "tavrix/values/control_progress.h"
#include "tavrix/values/device.h"
#include "tavrix/values/device_info.h"
#include "tavrix/values/device_log.h"
#include "tavrix/values/parameters.h"

namespace tavrix {
namespace {

TEST(DeviceTest, ShiftStepsByWordsAndWraps) {
  EXPECT_EQ(Device(4096).shift(3), 4108u);
  EXPECT_EQ(Device(0xFFFFFFFCu).shift(1), 0u);
  EXPECT_EQ(Device(0).shift(65535), 4u * 65535u);
  EXPECT_EQ(Device(0x10).shift(0), 0x10u);
}

TEST(ValueText, MatchesTheDocumentedForms) {
  EXPECT_EQ(Device(4096).toString(), "Device(s=4096)");
  EXPECT_EQ(DeviceInfo(0xFFFFFFFFFFFFFFFFull, true).toString(),
            "DeviceInfo(id=18446744073709551615, isNew=true)");
  EXPECT_EQ(ChargeLevel(512, false).toString(), "ChargeLevel(level=512, complete=false)");
  EXPECT_EQ(ChargeLevel(65535, true).toString(), "ChargeLevel(level=65535, complete=true)");
  EXPECT_EQ(ControlProgress(100, true).toString(), "ControlProgress(progress=100, complete=true)");
  EXPECT_EQ(DeviceLog(17, "anna", Ctrl::UNLOCK).toString(),
            "DeviceLog(timestamp=17, username=anna, ctrl=UNLOCK)");
  EXPECT_EQ(DeviceLog(1, "", std::nullopt).toString(),
            "DeviceLog(timestamp=1, username=, ctrl=null)");
  EXPECT_EQ(Parameters(Met::VOLTAGE, CV::HIGH, 500, 7, 9).toString(),
            "Parameters(method=VOLTAGE, clampingVoltage=HIGH, totalMotorRuntime=500, p1=7, p2=9)");
}

TEST(ValueHash, FoldsFieldHashesWithThirtyOne) {
  EXPECT_EQ(Device(4096).hashCode(), 4096);
  EXPECT_EQ(Device(0xFFFFFFFFu).hashCode(), -1);
  // 16-bit fields are sign-extended: 65535 hashes as -1.
  EXPECT_EQ(ChargeLevel(65535, true).hashCode(), 31 * -1 + 1231);
  EXPECT_EQ(ControlProgress(100, false).hashCode(), 31 * 100 + 1237);
  // 64-bit fields fold their halves.
  EXPECT_EQ(DeviceInfo(0x0000000100000002ull, false).hashCode(), 31 * 3 + 1237);
  // Text hashes over UTF-16 code units: "ab" is 31*97 + 98; an absent ctrl adds 0.
  EXPECT_EQ(DeviceLog(0, "ab", std::nullopt).hashCode(), 31 * (31 * 0 + (31 * 97 + 98)) + 0);
  // U+00E9 is one UTF-16 unit though two UTF-8 bytes.
  EXPECT_EQ(DeviceLog(0, "\xC3\xA9", std::nullopt).hashCode(), 31 * 0xE9);
}

TEST(ValueEquality, ComparesEveryFieldAndCopiesChangeOnlyTheGivenOne) {
  const Parameters p(Met::SINGLE, CV::LOW, 500, 7, 9);
  EXPECT_EQ(p, Parameters(Met::SINGLE, CV::LOW, 500, 7, 9));
  EXPECT_EQ(p.hashCode(), Parameters(Met::SINGLE, CV::LOW, 500, 7, 9).hashCode());
  EXPECT_NE(p, p.withP2(10));
  EXPECT_EQ(p.withClampingVoltage(CV::HIGH).clampingVoltage(), CV::HIGH);
  EXPECT_EQ(p.withClampingVoltage(CV::HIGH).withClampingVoltage(CV::LOW), p);

  const DeviceLog log(5, "u", Ctrl::LOCK);
  EXPECT_NE(log, log.withCtrl(std::nullopt));
  EXPECT_EQ(log.withCtrl(std::nullopt), DeviceLog(5, "u", std::nullopt));
  EXPECT_EQ(log.withUsername("v").username(), "v");
  EXPECT_EQ(log.username(), "u");

  EXPECT_NE(DeviceInfo(1, true), DeviceInfo(1, false));
  EXPECT_EQ(DeviceInfo(1, true).withIsNew(false), DeviceInfo(1, false));
  EXPECT_EQ(ChargeLevel(5, false).withComplete(true), ChargeLevel(5, true));

  std::unordered_set<Device> devices{Device(1), Device(1), Device(2)};
  EXPECT_EQ(devices.size(), 2u);
}

}  // namespace
}  // namespace tavrix
