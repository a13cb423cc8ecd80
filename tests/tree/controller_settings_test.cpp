// The controller's settings actions: what reaches the library, what is stored among the driver's
// registry parameters, what the agent is told and what the node then shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kDriverKey = "SYSTEM\\CurrentControlSet\\Services\\Swiftbay\\Parameters\\Device";

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
  void Start(const std::string& scenario = Scenario("settings")) {
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

// One action on a fresh registry: what the driver then finds, what the node shows, and what the
// controller was left with (no library call at all when function is null).
struct Stores {
  const char* action;
  const char* argument;
  const char* stored;
  const char* property;
  const char* shown;
  decltype(&raReadThreshold) function;
  std::int32_t library;
};

TEST_F(SettingsTest, EachSettingReachesTheLibraryTheRegistryOrBoth) {
  Start();
  const Stores cases[] = {
      // Only the driver reads these two: the controller keeps what it had.
      {"SetCachePolicy", "0", "WRITEBACKCACHE=0;", "GetCachePolicy", "0", nullptr, 0},
      {"SetDisableHotSpare", "0", "DISABLEHOTSPARE=0;", "GetDisableHotSpare", "0", nullptr, 0},
      {"SetSmart", "1", "SMARTENABLE=1;", "GetSmart", "1", raSmartCheckEnabled, 1},
      {"SetPCIBus", "75", "COUNTTHRESHOLD=1;", "GetPCIBus", "75", raChannelThreshold, 1},
      {"SetMaintenanceRate", "6", "MAINTENANCELENGTH=6;", "GetMaintenanceRate", "6",
       raGetRebuildRate, 6},
      {"SetReadThreshold", "16", "<missing>", "ReadThreshold", "16", raReadThreshold, 16},
      {"SetWriteThreshold", "abc", "<missing>", "WriteThreshold", "0", raWriteThreshold, 0},
      {"SetSubmitChannelThreshold", " 12 sectors", "<missing>", "SubmitChannelThreshold", "12",
       raSubmitChannelThreshold, 12},
      {"SetWriteMode", "1", "<missing>", "WriteMode", "1", raWriteMode, 1},
  };
  for (const Stores& c : cases) {
    SCOPED_TRACE(c.action);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kDriverKey);
    sink->codes.clear();
    simResetCallCounts();
    EXPECT_EQ(Invoke(hba1.get(), c.action, c.argument), S_OK);
    EXPECT_EQ(Stored(), c.stored);
    EXPECT_EQ(Shown(c.property), c.shown);
    EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));
    if (c.function) {
      EXPECT_EQ(Library(c.function), c.library);
    } else {
      EXPECT_EQ(LibraryCalls(), 0);
    }
  }
  EXPECT_EQ(Library(raWriteCacheEnabled), 1);
  EXPECT_THAT(messages.texts(), IsEmpty());
}

TEST_F(SettingsTest, SmartAndThresholdsShowWhatTheLibraryReadsBack) {
  Start();
  // The controller takes 1 but reads back 0: 0 is what is stored and shown.
  ASSERT_EQ(simMisbehave("raSmartCheckEnabled", -1, 2, SIM_MISBEHAVE_OUTPUT, 0, 0), 0);
  EXPECT_EQ(Invoke(hba1.get(), "SetSmart", "1"), S_OK);
  EXPECT_EQ(Calls("raSmartCheckEnabled"), 2);
  EXPECT_EQ(Stored(), "SMARTENABLE=0;");
  EXPECT_EQ(Shown("GetSmart"), "0");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged));
  ASSERT_EQ(simMisbehave("raReadThreshold", -1, 1, SIM_MISBEHAVE_OUTPUT, 0, 20), 0);
  EXPECT_EQ(Invoke(hba1.get(), "SetReadThreshold", "16"), S_OK);
  EXPECT_EQ(Shown("ReadThreshold"), "20");
}

TEST_F(SettingsTest, PciBusWithoutOriginalChannelsSendsZero) {
  Start(R"({"controllers": [{"settings": {"originalChannels": 0, "channelThreshold": 3}}]})");
  EXPECT_EQ(Shown("GetPCIBus"), "50");
  EXPECT_EQ(Invoke(hba1.get(), "SetPCIBus", "75"), S_OK);
  EXPECT_EQ(Stored(), "COUNTTHRESHOLD=0;");
  EXPECT_EQ(Shown("GetPCIBus"), "75");
  EXPECT_EQ(Library(raChannelThreshold), 0);
}

TEST_F(SettingsTest, ALibraryCallThatFailsStopsTheAction) {
  Start();
  const struct {
    const char* action;
    const char* function;
    int call;
    const char* property;
  } cases[] = {{"SetSmart", "raSmartCheckEnabled", 1, "GetSmart"},
               {"SetSmart", "raSmartCheckEnabled", 2, "GetSmart"},
               {"SetPCIBus", "raChannelThreshold", 1, "GetPCIBus"},
               {"SetMaintenanceRate", "raSetRebuildRate", 1, "GetMaintenanceRate"},
               {"SetReadThreshold", "raReadThreshold", 1, "ReadThreshold"},
               {"SetWriteThreshold", "raWriteThreshold", 1, "WriteThreshold"},
               {"SetSubmitChannelThreshold", "raSubmitChannelThreshold", 1,
                "SubmitChannelThreshold"},
               {"SetWriteMode", "raWriteMode", 1, "WriteMode"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.action) + " " + std::to_string(c.call));
    const std::string before = Shown(c.property);
    simResetCallCounts();
    ASSERT_EQ(simFailCall(c.function, -1, c.call, 9), 0);
    EXPECT_EQ(Invoke(hba1.get(), c.action, "1"), S_OK);
    EXPECT_EQ(Shown(c.property), before);
    simClearFaults();
  }
  EXPECT_EQ(Stored(), "<missing>");
  EXPECT_THAT(sink->codes, IsEmpty());
  EXPECT_THAT(messages.texts(), IsEmpty());
}

TEST_F(SettingsTest, ARegistryThatCannotBeWrittenIsReportedAndShownAsTheActionTells) {
  Start();
  LockRegistry();
  const struct {
    const char* action;
    const char* argument;
    const char* property;
    const char* shown;
    const char* message;
    bool notified;
  } cases[] = {{"SetCachePolicy", "0", "GetCachePolicy", "1", "Registry Error", false},
               {"SetDisableHotSpare", "0", "GetDisableHotSpare", "1", "Registry Error", false},
               {"SetSmart", "1", "GetSmart", "1", "Registry Error", true},
               {"SetPCIBus", "25", "GetPCIBus", "25", "Registry Error", true},
               // The controller takes the rate, the registry does not: nothing is shown.
               {"SetMaintenanceRate", "2", "GetMaintenanceRate", "4",
                "Set maintenance rate - registry error", false},
               // Never touched by the thresholds.
               {"SetReadThreshold", "16", "ReadThreshold", "16", nullptr, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action);
    messages.Clear();
    sink->codes.clear();
    EXPECT_EQ(Invoke(hba1.get(), c.action, c.argument), S_OK);
    EXPECT_EQ(Shown(c.property), c.shown);
    EXPECT_EQ(messages.texts(), c.message ? std::vector<std::string>{c.message}
                                          : std::vector<std::string>{});
    EXPECT_EQ(sink->codes.size(), c.notified ? 1u : 0u);
  }
  EXPECT_EQ(Stored(), "<missing>");
  EXPECT_EQ(Library(raChannelThreshold), 3);
  EXPECT_EQ(Library(raGetRebuildRate), 2);
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
