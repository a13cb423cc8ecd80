// The battery node and the battery poll that copies the module's readings into the controller
// node.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;

class BatteryTest : public ControllerTest {
 protected:
  bool HasBatteryProperties(IRiver* node) {
    for (const char* name : {"BatteryTemperature", "BatteryVoltage", "BatteryChargeStatus",
                             "BatteryChargeCycle"})
      if (!Entry(node, name).empty()) return true;
    return false;
  }
};

TEST_F(BatteryTest, ChargeStatusCodesInTheTableHaveTheirTextAndAnyOtherTheUnknownText) {
  // A code outside the table at creation leaves the node's first index.
  Load(Scenario("battery"));
  ASSERT_EQ(simMisbehave("raGetChargeStatus", -1, 1, SIM_MISBEHAVE_OUTPUT, 0, 25), 0);
  Build();
  auto battery = At("HBA1/battery");
  EXPECT_EQ(Get(battery.get(), "BatteryChargeStatus"), "BATTERY_STATUS_UNKNOWN");
  // Each refresh starts again from the unknown status.
  const std::pair<int, const char*> codes[] = {
      {0, "BATTERY_OK"}, {10, "BATTERY_DISCHARGING"}, {17, "BATTERY_OVER_CHARGE_ALARM"},
      {18, "BATTERY_STATUS_UNKNOWN"}, {-1, "BATTERY_STATUS_UNKNOWN"},
      {25, "BATTERY_STATUS_UNKNOWN"}, {INT_MAX, "BATTERY_STATUS_UNKNOWN"},
      {INT_MIN, "BATTERY_STATUS_UNKNOWN"}};
  for (auto [code, text] : codes) {
    SCOPED_TRACE(code);
    simClearFaults();
    ASSERT_EQ(simApply(R"({"battery": {"chargeStatus": 9}})"), 0);
    EXPECT_EQ(battery->refresh(), S_OK);
    ASSERT_EQ(Get(battery.get(), "BatteryChargeStatus"), "BATTERY_FULLY_CHARGED");
    ASSERT_EQ(simMisbehave("raGetChargeStatus", -1, 1, SIM_MISBEHAVE_OUTPUT, 0, code), 0);
    EXPECT_EQ(battery->refresh(), S_OK);
    EXPECT_EQ(Get(battery.get(), "BatteryChargeStatus"), text);
    EXPECT_EQ(Get(battery.get(), "BatteryChargeCycle"), "12");
  }
}

TEST_F(BatteryTest, AChargeCycleMoreIsShownAndNotifiedAtOnce) {
  Start(Scenario("battery"));
  ControllerNode* node = Controller("HBA1");
  auto hba1 = At("HBA1");
  EXPECT_EQ(node->BatteryPoll(), 1);
  ComPtr<RecordingSink> sink = Watch("HBA1");
  ASSERT_EQ(simApply(R"({"battery": {"cycles": 13}})"), 0);
  EXPECT_EQ(node->BatteryPoll(), 1);
  EXPECT_EQ(Entry(hba1.get(), "BatteryChargeCycle"), "BatteryChargeCycle@prv@13");
  EXPECT_EQ(Entry(hba1.get(), "BatteryTemperature"), "");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));

  ASSERT_EQ(simApply(R"({"battery": {"temperature": 31, "voltage": 8100, "chargeStatus": 10}})"),
            0);
  EXPECT_EQ(node->BatteryPoll(), 1);
  auto entries = Dir(hba1.get());
  EXPECT_THAT(std::vector<std::string>(entries.end() - 4, entries.end()),
              ElementsAre("BatteryChargeCycle@prv@13", "BatteryTemperature@prv@31",
                          "BatteryVoltage@prv@8100", "BatteryChargeStatus@prv@BATTERY_DISCHARGING"));
  // The battery node itself changes only when it is refreshed.
  EXPECT_EQ(Get(At("HBA1/battery").get(), "BatteryChargeCycle"), "12");
}

TEST_F(BatteryTest, EachPollNotifiesFirstThenEvery180thUnchangedPollOnItsOwnCount) {
  Start(Scenario("battery"));
  ControllerNode* node = Controller("HBA1");
  ComPtr<RecordingSink> sink = Watch("HBA1");
  const auto before = Dir(At("HBA1").get());
  for (auto poll : {&ControllerNode::EnclosurePoll, &ControllerNode::BatteryPoll}) {
    SCOPED_TRACE(poll == &ControllerNode::BatteryPoll ? "battery" : "enclosure");
    sink->codes.clear();
    EXPECT_EQ((node->*poll)(), 1);
    for (int round = 0; round < 2; ++round) {
      for (int n = 1; n < 180; ++n) ASSERT_EQ((node->*poll)(), 0) << n;
      EXPECT_EQ((node->*poll)(), 1);
    }
    EXPECT_EQ(sink->codes, std::vector<ULONG>(3, kNotifyChanged));
  }
  // Every battery poll reads the module; readings that did not change are not shown, nor is a
  // charge status outside the table.
  EXPECT_EQ(Calls("raGetChargeCycle"), 361);
  ASSERT_EQ(simMisbehave("raGetChargeStatus", -1, 1, SIM_MISBEHAVE_OUTPUT, 0, 25), 0);
  EXPECT_EQ(node->BatteryPoll(), 0);
  EXPECT_EQ(Dir(At("HBA1").get()), before);
}

TEST_F(BatteryTest, ARemovedPackIsNotReadAndItsNodeStays) {
  Start(Scenario("battery"));
  ControllerNode* node = Controller("HBA1");
  EXPECT_EQ(node->BatteryPoll(), 1);
  ASSERT_EQ(simApply(R"({"battery": {"pack": false, "cycles": 14}})"), 0);
  simResetCallCounts();
  EXPECT_EQ(node->BatteryPoll(), 0);
  EXPECT_EQ(Calls("raGetBatteryTemperature") + Calls("raGetBatteryVoltage") +
                Calls("raGetChargeStatus") + Calls("raGetChargeCycle"),
            0);
  EXPECT_FALSE(HasBatteryProperties(At("HBA1").get()));

  // The controller keeps its battery child and refreshes it all the same.
  ComPtr<RecordingSink> sink = Watch("HBA1/battery");
  auto hba1 = At("HBA1");
  EXPECT_EQ(hba1->refresh(), S_OK);
  EXPECT_EQ(Entry(hba1.get(), "battery"), "battery@o--@29");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));
  EXPECT_EQ(Calls("raGetChargeCycle"), 1);
  EXPECT_EQ(Get(At("HBA1/battery").get(), "BatteryChargeStatus"), "BATTERY_STATUS_UNKNOWN");
}

TEST_F(BatteryTest, NoBatteryChildWithoutModuleOrPack) {
  for (const char* battery : {R"({"module": false})", R"({"pack": false})"}) {
    SCOPED_TRACE(battery);
    root.reset();
    Load(std::string(R"({"controllers": [{"battery": )") + battery + "}]}");
    Build();
    auto hba1 = At("HBA1");
    EXPECT_EQ(Entry(hba1.get(), "battery"), "");
    Controller("HBA1")->BatteryPoll();
    EXPECT_FALSE(HasBatteryProperties(hba1.get()));
    EXPECT_EQ(Calls("raGetBatteryTemperature"), 0);
  }
}

TEST_F(BatteryTest, TheSecondControllersBatteryIsItsOwn) {
  Start(R"({"controllers": [{}, {"battery": {"chargeStatus": 0, "cycles": 3, "voltage": 8000}}]})");
  EXPECT_EQ(Entry(At("HBA1").get(), "battery"), "");
  ASSERT_EQ(simApply(R"({"controller": 1, "battery": {"voltage": 7900}})"), 0);
  Controller("HBA1")->BatteryPoll();
  EXPECT_EQ(Controller("HBA2")->BatteryPoll(), 1);
  EXPECT_EQ(Get(At("HBA2").get(), "BatteryVoltage"), "7900");
  EXPECT_FALSE(HasBatteryProperties(At("HBA1").get()));
}

}  // namespace
}  // namespace swkv::test
