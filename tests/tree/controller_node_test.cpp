// The controller node: what it shows of the controller, and how it builds, refreshes and prunes
// its channels, enclosure, battery and arrays.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;


class ControllerNodeTest : public ControllerTest {};


TEST_F(ControllerNodeTest, RecordsTheLibraryCannotGiveLeaveOnlyTheirOwnPropertiesOut) {
  Load(Scenario("controller"));
  ASSERT_EQ(simFailCall("raGetControllerInfo", -1, 0, 9), 0);
  Build();
  auto names = Names(At("HBA1").get());
  names.resize(14);
  EXPECT_THAT(names, ElementsAre("handle", "Swiftbay", "HasEvent", "DV", "HardWare", "GetSmart",
                                 "GetPCIBus", "GetCachePolicy", "GetDisableHotSpare",
                                 "GetMaintenanceRate", "ReadThreshold", "WriteThreshold",
                                 "SubmitChannelThreshold", "WriteMode"));
  root.reset();
  Load(Scenario("controller"));
  ASSERT_EQ(simFailCall("raGetDriverVersion", -1, 0, 9), 0);
  Build();
  EXPECT_EQ(Entry(At("HBA1").get(), "DV"), "");
  EXPECT_EQ(Get(At("HBA1").get(), "KVMMIOAddress"), "0xFEDC0000");
  EXPECT_EQ(Get(At("HBA1").get(), "HardWare"), "SwiftbayKv9000");
}

TEST_F(ControllerNodeTest, TheDriverVersionIsShownAsItIsAndEndsAtItsBuffer) {
  EXPECT_EQ(Get(Start(R"({"controllers": [{"driverVersion": "Kv9000 100% %s%d%n build %%"}]})")
                    .get(),
                "DV"),
            "Kv9000 100% %s%d%n build %%");
  root.reset();
  Load(Scenario("controller"));
  ASSERT_EQ(simMisbehave("raGetDriverVersion", -1, 0, SIM_MISBEHAVE_UNTERMINATED, 0, 0), 0);
  Build();
  EXPECT_EQ(Get(At("HBA1").get(), "DV").size(), 256u);
}

TEST_F(ControllerNodeTest, SettingsNotReportedAtConstruction) {
  // A rebuild rate whose low byte is 0xFF shows 4; thresholds so reported keep their start;
  // without original channels the percentage is 50.
  auto hba1 = Start(R"({"controllers": [{"settings": {"rebuildRate": 255, "readThreshold": 255,
      "writeThreshold": 255, "submitChannelThreshold": 255, "originalChannels": 0}}]})");
  for (auto [name, value] : {std::pair{"GetMaintenanceRate", "4"}, {"ReadThreshold", "0"},
                             {"WriteThreshold", "0"}, {"SubmitChannelThreshold", "0"},
                             {"GetPCIBus", "50"}})
    EXPECT_EQ(Get(hba1.get(), name), value) << name;
}


// The controller's event actions and the enclosure's buzzer actions are accepted and do nothing.
TEST_F(ControllerNodeTest, EventAndBuzzerActionsDoNothing) {
  Start(Scenario("controller"));
  for (auto [path, action, argument] : {std::tuple{"HBA1", "ReadEvent", "1"},
                                        {"HBA1", "ClearEvent", ""},
                                        {"HBA1/enclosure1", "TurnOnBuzzer", "1"},
                                        {"HBA1/enclosure1", "SilentBuzzer", ""}}) {
    auto node = At(path);
    auto before = Dir(node.get());
    ComPtr<RecordingSink> sink = Watch(path);
    EXPECT_EQ(Invoke(node.get(), action, argument), S_OK) << action;
    EXPECT_EQ(Dir(node.get()), before) << action;
    EXPECT_THAT(sink->codes, IsEmpty()) << action;
  }
  EXPECT_EQ(Calls("raInitialize") + Calls("raClearLog") + Calls("raGetEvents") +
                Calls("raEnclosureType") + Calls("raGetEnclosureStatus"),
            0);
}

TEST_F(ControllerNodeTest, ASecondRefreshCreatesNothingAndNotifiesEachChild) {
  auto hba1 = Start(Scenario("controller"));
  auto before = Dir(hba1.get());
  const char* children[] = {"HBA1/ch1", "HBA1/ch2", "HBA1/ch3", "HBA1/ch4", "HBA1/enclosure1",
                            "HBA1/battery", "HBA1/System", "HBA1/Data"};
  std::vector<ComPtr<RecordingSink>> sinks;
  for (const char* child : children) sinks.push_back(Watch(child));
  ComPtr<RecordingSink> controllerSink = Watch("HBA1");
  auto enclosure = At("HBA1/enclosure1");

  EXPECT_EQ(hba1->refresh(), S_OK);
  // The same nodes under the same links (a link's value carries its node's handle number).
  EXPECT_EQ(Dir(hba1.get()), before);
  EXPECT_EQ(At("HBA1/enclosure1").get(), enclosure.get());
  for (std::size_t i = 0; i < sinks.size(); ++i)
    EXPECT_THAT(sinks[i]->codes, ElementsAre(kNotifyChanged)) << children[i];
  // The controller's own refresh does not announce itself.
  EXPECT_THAT(controllerSink->codes, IsEmpty());
  // The information and settings are not read again.
  EXPECT_EQ(Calls("raGetControllerInfo") + Calls("raGetDriverVersion") + Calls("raReadThreshold"),
            0);

  // Without a channel count the children stay as they are.
  ComPtr<RecordingSink> channelSink = Watch("HBA1/ch1");
  ASSERT_EQ(simFailCall("raGetMaxChannelsPerAdapter", -1, 1, 9), 0);
  EXPECT_EQ(hba1->refresh(), S_OK);
  EXPECT_EQ(Dir(hba1.get()), before);
  EXPECT_THAT(channelSink->codes, IsEmpty());
}

TEST_F(ControllerNodeTest, APrunedChannelComesBackUnderTheNextName) {
  auto hba1 = Start(Scenario("controller"));
  // With no channels reported, slots 0 to 2 are all there is: ch4 (slot 3) goes, while the
  // enclosure and the battery are never pruned.
  ASSERT_EQ(simMisbehave("raGetMaxChannelsPerAdapter", -1, 1, SIM_MISBEHAVE_OUTPUT, 0, 0), 0);
  ComPtr<RecordingSink> enclosureSink = Watch("HBA1/enclosure1");
  EXPECT_EQ(hba1->refresh(), S_OK);
  EXPECT_THAT(Links(hba1.get()),
              ElementsAre("ch1@o--@27", "ch2@o--@27", "ch3@o--@27", "enclosure1@o--@7",
                          "battery@o--@29", "System@o--@25", "Data@o--@25"));
  EXPECT_THAT(enclosureSink->codes, IsEmpty());
  // The arrays were enumerated all the same, with key -1.
  EXPECT_EQ(Controller("HBA1")->array_key(), -1);

  EXPECT_EQ(hba1->refresh(), S_OK);
  EXPECT_THAT(Links(hba1.get()),
              ElementsAre("ch1@o--@27", "ch2@o--@27", "ch3@o--@27", "enclosure1@o--@7",
                          "battery@o--@29", "System@o--@25", "Data@o--@25", "ch5@o--@27"));
  EXPECT_EQ(Controller("HBA1")->FindChildById(3, 27), root->GetChild("HBA1")->GetChild("ch5"));
  EXPECT_EQ(Controller("HBA1")->array_key(), 5);
}

TEST_F(ControllerNodeTest, TwoReportedChannelsGiveSlotsZeroToFour) {
  Load(Scenario("controller"));
  ASSERT_EQ(simMisbehave("raGetMaxChannelsPerAdapter", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, 2), 0);
  BuildCounting();
  EXPECT_THAT(Links(At("HBA1").get()),
              ElementsAre("ch1@o--@27", "ch2@o--@27", "ch3@o--@27", "ch4@o--@27",
                          "enclosure1@o--@7", "System@o--@25", "Data@o--@25"));
  // No battery is looked for, and the arrays are enumerated with key -1.
  EXPECT_EQ(Calls("raCheckBatteryBackModule"), 0);
  EXPECT_EQ(Controller("HBA1")->array_key(), -1);
}


}  // namespace
}  // namespace swkv::test
