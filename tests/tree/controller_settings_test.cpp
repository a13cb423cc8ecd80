// The controller's settings actions: what reaches the library, what is stored among the driver's
// registry parameters, what the agent is told and what the node then shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/tree/controller_fixture.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kDriverKey = "SYSTEM\\CurrentControlSet\\Services\\Swiftbay\\Parameters\\Device";

constexpr const char* kController = R"({"controllers": [{
  "settings": {"originalChannels": 4, "channelThreshold": 2, "writeCache": 1, "hotSpares": 1,
               "smartCheck": 0, "rebuildRate": 4, "readThreshold": 8, "writeThreshold": 8,
               "submitChannelThreshold": 4, "writeMode": 0}}]})";

constexpr const char* kLibraryFunctions[] = {
    "raInitialize", "raTerminate", "raNeedUpdate", "raGetEvents", "raClearLog",
    "raGetControllerInfo", "raGetDriverVersion", "raGetMaxChannelsPerAdapter",
    "raCheckBatteryBackModule", "raCheckBatteryPack", "raOriginalChannelCount",
    "raWriteCacheEnabled", "raHotSparesEnabled", "raGetRebuildRate", "raSetRebuildRate",
    "raChannelThreshold", "raSmartCheckEnabled", "raReadThreshold", "raWriteThreshold",
    "raSubmitChannelThreshold", "raWriteMode", "raEnumerateAllArrays", "raGetEnclosureStatus",
    "raEnclosureType", "raGetChargeStatus"};

class SettingsTest : public ControllerTest {
 protected:
  void Start(const char* scenario = kController) {
    Load(scenario);
    Build();
    hba1 = At("HBA1");
    ASSERT_TRUE(hba1);
    sink = Watch("HBA1");
  }
  // The adapter settings text as the driver finds it.
  static std::string Stored() { return GetString(HKEY_LOCAL_MACHINE, kDriverKey, "DriverParameter"); }
  // The driver's key exists but cannot be written.
  void LockRegistry() {
    CreateKey(HKEY_LOCAL_MACHINE, kDriverKey);
    registry.MakeReadOnly(HKEY_LOCAL_MACHINE, kDriverKey);
  }
  static std::int64_t LibraryCalls() {
    std::int64_t calls = 0;
    for (const char* function : kLibraryFunctions) calls += Calls(function);
    return calls;
  }
  // A setting as the controller has it now.
  static std::int32_t Library(decltype(&raReadThreshold) read) {
    EXPECT_TRUE(SelectController(0));
    std::int32_t value = -1;
    EXPECT_EQ(read(0, &value), 0);
    return value;
  }
  std::string Shown(const char* property) { return Get(hba1.get(), property); }

  ComPtr<IRiver> hba1;
  ComPtr<RecordingSink> sink;
};

TEST_F(SettingsTest, CachePolicyAndHotSpareGoToTheRegistryOnly) {
  Start();
  EXPECT_EQ(Invoke(hba1.get(), "SetCachePolicy", "0"), S_OK);
  EXPECT_EQ(LibraryCalls(), 0);
  EXPECT_EQ(Stored(), "WRITEBACKCACHE=0;");
  EXPECT_EQ(Shown("GetCachePolicy"), "0");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));

  EXPECT_EQ(Invoke(hba1.get(), "SetDisableHotSpare", "0"), S_OK);
  EXPECT_EQ(LibraryCalls(), 0);
  EXPECT_EQ(Stored(), "WRITEBACKCACHE=0;DISABLEHOTSPARE=0;");
  EXPECT_EQ(Shown("GetDisableHotSpare"), "0");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged, kNotifyChanged));
  EXPECT_THAT(messages.texts(), IsEmpty());
  // The controller itself keeps what it had: only the driver reads these.
  EXPECT_EQ(Library(raWriteCacheEnabled), 1);
}

TEST_F(SettingsTest, CachePolicyAndHotSpareStopWhenTheRegistryFails) {
  Start();
  LockRegistry();
  EXPECT_EQ(Invoke(hba1.get(), "SetCachePolicy", "0"), S_OK);
  EXPECT_EQ(Invoke(hba1.get(), "SetDisableHotSpare", "0"), S_OK);
  EXPECT_THAT(messages.texts(), ElementsAre("Registry Error", "Registry Error"));
  EXPECT_EQ(Shown("GetCachePolicy"), "1");
  EXPECT_EQ(Shown("GetDisableHotSpare"), "1");
  EXPECT_THAT(sink->codes, IsEmpty());
  EXPECT_EQ(Stored(), "<missing>");
}

TEST_F(SettingsTest, SmartIsSetReadBackAndTheValueReadBackIsStored) {
  Start();
  EXPECT_EQ(Invoke(hba1.get(), "SetSmart", "1"), S_OK);
  EXPECT_EQ(Calls("raSmartCheckEnabled"), 2);
  EXPECT_EQ(Stored(), "SMARTENABLE=1;");
  EXPECT_EQ(Shown("GetSmart"), "1");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));

  // The controller takes 1 but reads back 0: 0 is what is stored and shown.
  ASSERT_EQ(simMisbehave("raSmartCheckEnabled", -1, 2, SIM_MISBEHAVE_OUTPUT, 0, 0), 0);
  EXPECT_EQ(Invoke(hba1.get(), "SetSmart", "1"), S_OK);
  EXPECT_EQ(Stored(), "SMARTENABLE=0;");
  EXPECT_EQ(Shown("GetSmart"), "0");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged, kNotifyChanged));
}

TEST_F(SettingsTest, SmartStopsWhenEitherLibraryCallFails) {
  Start();
  for (int call : {1, 2}) {
    SCOPED_TRACE(call);
    ASSERT_EQ(simFailCall("raSmartCheckEnabled", -1, call, 9), 0);
    EXPECT_EQ(Invoke(hba1.get(), "SetSmart", "1"), S_OK);
    EXPECT_EQ(Shown("GetSmart"), "0");
    EXPECT_EQ(Stored(), "<missing>");
    EXPECT_THAT(sink->codes, IsEmpty());
  }
  EXPECT_THAT(messages.texts(), IsEmpty());
}

TEST_F(SettingsTest, SmartIsShownAlthoughTheRegistryFails) {
  Start();
  LockRegistry();
  EXPECT_EQ(Invoke(hba1.get(), "SetSmart", "1"), S_OK);
  EXPECT_THAT(messages.texts(), ElementsAre("Registry Error"));
  EXPECT_EQ(Shown("GetSmart"), "1");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));
}

TEST_F(SettingsTest, PciBusSendsTheThresholdOfThePercentage) {
  Start();
  EXPECT_EQ(Shown("GetPCIBus"), "50");
  EXPECT_EQ(Invoke(hba1.get(), "SetPCIBus", "75"), S_OK);
  EXPECT_EQ(Stored(), "COUNTTHRESHOLD=1;");
  EXPECT_EQ(Shown("GetPCIBus"), "75");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));
  EXPECT_EQ(Library(raChannelThreshold), 1);
}

TEST_F(SettingsTest, PciBusWithoutOriginalChannelsSendsZero) {
  Start(R"({"controllers": [{"settings": {"originalChannels": 0, "channelThreshold": 3}}]})");
  EXPECT_EQ(Shown("GetPCIBus"), "50");
  EXPECT_EQ(Invoke(hba1.get(), "SetPCIBus", "75"), S_OK);
  EXPECT_EQ(Stored(), "COUNTTHRESHOLD=0;");
  EXPECT_EQ(Shown("GetPCIBus"), "75");
  EXPECT_EQ(Library(raChannelThreshold), 0);
}

TEST_F(SettingsTest, PciBusStopsWhenTheLibraryFailsAndGoesOnWhenTheRegistryFails) {
  Start();
  ASSERT_EQ(simFailCall("raChannelThreshold", -1, 1, 9), 0);
  EXPECT_EQ(Invoke(hba1.get(), "SetPCIBus", "75"), S_OK);
  EXPECT_EQ(Shown("GetPCIBus"), "50");
  EXPECT_EQ(Stored(), "<missing>");
  EXPECT_THAT(sink->codes, IsEmpty());
  EXPECT_THAT(messages.texts(), IsEmpty());

  LockRegistry();
  EXPECT_EQ(Invoke(hba1.get(), "SetPCIBus", "25"), S_OK);
  EXPECT_THAT(messages.texts(), ElementsAre("Registry Error"));
  EXPECT_EQ(Shown("GetPCIBus"), "25");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));
  EXPECT_EQ(Library(raChannelThreshold), 3);
}

TEST_F(SettingsTest, MaintenanceRateIsShownOnlyOnceStored) {
  Start();
  EXPECT_EQ(Invoke(hba1.get(), "SetMaintenanceRate", "6"), S_OK);
  EXPECT_EQ(Stored(), "MAINTENANCELENGTH=6;");
  EXPECT_EQ(Shown("GetMaintenanceRate"), "6");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));
  EXPECT_EQ(Library(raGetRebuildRate), 6);

  ASSERT_EQ(simFailCall("raSetRebuildRate", -1, 1, 9), 0);
  EXPECT_EQ(Invoke(hba1.get(), "SetMaintenanceRate", "9"), S_OK);
  EXPECT_EQ(Stored(), "MAINTENANCELENGTH=6;");
  EXPECT_EQ(Shown("GetMaintenanceRate"), "6");
  EXPECT_THAT(messages.texts(), IsEmpty());

  // The controller takes the rate, the registry does not: nothing is shown.
  LockRegistry();
  EXPECT_EQ(Invoke(hba1.get(), "SetMaintenanceRate", "2"), S_OK);
  EXPECT_THAT(messages.texts(), ElementsAre("Set maintenance rate - registry error"));
  EXPECT_EQ(Shown("GetMaintenanceRate"), "6");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));
  EXPECT_EQ(Library(raGetRebuildRate), 2);
}

TEST_F(SettingsTest, ThresholdsAndWriteModeGoToTheLibraryOnly) {
  Start();
  LockRegistry();  // never touched by these
  EXPECT_EQ(Invoke(hba1.get(), "SetReadThreshold", "16"), S_OK);
  EXPECT_EQ(Invoke(hba1.get(), "SetWriteThreshold", "abc"), S_OK);
  EXPECT_EQ(Invoke(hba1.get(), "SetSubmitChannelThreshold", " 12 sectors"), S_OK);
  EXPECT_EQ(Invoke(hba1.get(), "SetWriteMode", "1"), S_OK);
  EXPECT_EQ(Shown("ReadThreshold"), "16");
  EXPECT_EQ(Shown("WriteThreshold"), "0");
  EXPECT_EQ(Shown("SubmitChannelThreshold"), "12");
  EXPECT_EQ(Shown("WriteMode"), "1");
  EXPECT_EQ(sink->codes.size(), 4u);
  EXPECT_THAT(messages.texts(), IsEmpty());
  EXPECT_EQ(Library(raReadThreshold), 16);
  EXPECT_EQ(Library(raWriteThreshold), 0);
  EXPECT_EQ(Library(raSubmitChannelThreshold), 12);
  EXPECT_EQ(Library(raWriteMode), 1);
}

TEST_F(SettingsTest, ThresholdsShowTheValueTheLibraryLeft) {
  Start();
  ASSERT_EQ(simMisbehave("raReadThreshold", -1, 1, SIM_MISBEHAVE_OUTPUT, 0, 20), 0);
  EXPECT_EQ(Invoke(hba1.get(), "SetReadThreshold", "16"), S_OK);
  EXPECT_EQ(Shown("ReadThreshold"), "20");
}

TEST_F(SettingsTest, ThresholdsAndWriteModeStopWhenTheLibraryFails) {
  Start();
  const std::pair<const char*, const char*> actions[] = {
      {"SetReadThreshold", "ReadThreshold"},
      {"SetWriteThreshold", "WriteThreshold"},
      {"SetSubmitChannelThreshold", "SubmitChannelThreshold"},
      {"SetWriteMode", "WriteMode"}};
  const char* functions[] = {"raReadThreshold", "raWriteThreshold", "raSubmitChannelThreshold",
                             "raWriteMode"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(actions[i].first);
    std::string before = Shown(actions[i].second);
    ASSERT_EQ(simFailCall(functions[i], -1, 1, 9), 0);
    EXPECT_EQ(Invoke(hba1.get(), actions[i].first, "1"), S_OK);
    EXPECT_EQ(Shown(actions[i].second), before);
  }
  EXPECT_THAT(sink->codes, IsEmpty());
}

TEST_F(SettingsTest, AControllerThatCannotBeSelectedChangesNothing) {
  Start(R"({"controllers": [{"settings": {"readThreshold": 8, "writeCache": 1}}, {}]})");
  ControllerNode* node = Controller("HBA1");
  ASSERT_TRUE(SelectController(1));
  ASSERT_EQ(simFailCall("raInitialize", 0, 0, 9), 0);
  simResetCallCounts();
  for (const char* action : {"SetSmart", "SetPCIBus", "SetMaintenanceRate", "SetReadThreshold",
                             "SetWriteThreshold", "SetSubmitChannelThreshold", "SetWriteMode"})
    EXPECT_EQ(node->OnInvoke(action, "1"), static_cast<int>(E_FAIL)) << action;
  // Each tried to open the controller and went no further.
  EXPECT_EQ(Calls("raInitialize", 0), 7);
  EXPECT_EQ(LibraryCalls() - Calls("raInitialize") - Calls("raTerminate"), 0);
  EXPECT_EQ(Shown("ReadThreshold"), "8");
  EXPECT_EQ(Stored(), "<missing>");
  EXPECT_THAT(sink->codes, IsEmpty());
  // The two settings that go to the registry only need no controller.
  EXPECT_EQ(node->OnInvoke("SetCachePolicy", "0"), 0);
  EXPECT_EQ(Shown("GetCachePolicy"), "0");
  EXPECT_EQ(Stored(), "WRITEBACKCACHE=0;");
}

}  // namespace
}  // namespace swkv::test
