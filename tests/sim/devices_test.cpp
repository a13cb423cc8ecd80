// Disks, drive bays, the battery, the event queue, the update flag, the settings and the
// controller's own records, as the component reads them.
#include <cstring>

#include "sim_fixture.h"

namespace swkv::test {
namespace {

class DeviceTest : public SimTest {};

TEST_F(DeviceTest, DisksReportNameGeometryTimingAndSmart) {
  Load(R"({"controllers":[{"disks":[
      {"disk":0,"model":"Kestrel KD-40A","sectors":78165360,"timing":8,"smart":3},
      {"disk":5,"model":"Heron","sectors":20000,"cylinders":20,"heads":16,"sectorsPerTrack":63},
      {"disk":7,"model":"Gone","present":false}]}]})");
  EXPECT_EQ(AllDisks(), (std::vector<uint32_t>{0, 5}));

  EXPECT_EQ(Name(0), "Kestrel KD-40A");
  uint32_t sectors = 0, cylinders = 0, heads = 0, perTrack = 0;
  ASSERT_EQ(raGetDiskDescription(0, &sectors, &cylinders, &heads, &perTrack), kOk);
  EXPECT_EQ(sectors, 78165360u);
  // The translated IDE geometry: 16 heads, 63 sectors, at most 16383 cylinders.
  EXPECT_EQ(heads, 16u);
  EXPECT_EQ(perTrack, 63u);
  EXPECT_EQ(cylinders, 16383u);
  ASSERT_EQ(raGetDiskDescription(5, &sectors, &cylinders, &heads, &perTrack), kOk);
  EXPECT_EQ(cylinders, 20u);
  EXPECT_EQ(Out(raGetDiskTiming, 0), 8);
  EXPECT_EQ(Disk(0).smart, 3u);
  EXPECT_EQ(Disk(0).state, kFree);
  EXPECT_EQ(Disk(0).array, kNoArray);

  char name[RA_NAME_SIZE];
  int32_t timing = 0;
  for (uint32_t absent : {1u, 7u, 8u, 1000u}) {
    EXPECT_EQ(raGetDeviceName(absent, name), SIM_E_NO_OBJECT) << absent;
    EXPECT_EQ(raGetDiskTiming(absent, &timing), SIM_E_NO_OBJECT) << absent;
  }
  EXPECT_EQ(raGetDeviceName(0, nullptr), SIM_E_ARGUMENT);
  EXPECT_EQ(raGetDiskTiming(0, nullptr), SIM_E_ARGUMENT);
}

TEST_F(DeviceTest, PulledMemberComesBackDroppedAndANewDiskComesBackFree) {
  Load(Scenario{.arrays = kMirror});
  Apply(R"({"disk":1,"do":"pull"})");
  EXPECT_EQ(AllDisks(), (std::vector<uint32_t>{0, 2, 3, 4, 5}));
  EXPECT_EQ(Status(0).state, kCritical);
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{20, 8}));

  // The same disk put back: the array still lists it, dropped, to be rebuilt in place.
  Apply(R"({"disk":1,"do":"insert"})");
  EXPECT_EQ(EventCodes(), std::vector<int32_t>{2});
  EXPECT_EQ(Disk(1).state, kOffline);
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 1}));
  ASSERT_EQ(raArrayRebuildDisk(0, 0, kStartOrResume), kOk);
  EXPECT_EQ(Disk(1).kind, kRebuildKind) << "a dropped member is rebuilt in place";
  Advance(100);
  EXPECT_EQ(Status(0).state, kNormal);

  // A new disk in a free position is free, with its own model.
  Apply(R"({"disk":5,"do":"pull"})");
  Apply(R"({"disk":5,"do":"insert","model":"Fresh","sectors":5000000})");
  EXPECT_EQ(Disk(5).state, kFree);
  EXPECT_EQ(Name(5), "Fresh");
  EXPECT_EQ(simApply(R"({"disk":5,"do":"insert"})"), SIM_E_STATE) << "already there";
  EXPECT_EQ(simApply(R"({"disk":6,"do":"insert"})"), SIM_E_NO_OBJECT) << "never was a disk";
}

TEST_F(DeviceTest, SmartErrorIsReportedOnce) {
  Load(Scenario{});
  Apply(R"({"disk":3,"do":"smart","smart":2})");
  Apply(R"({"disk":3,"do":"smart","smart":2})");
  EXPECT_EQ(Disk(3).smart, 2u);
  std::vector<RaEventRecord> events = Events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].code, 19);
  EXPECT_EQ(events[0].severityClass, 1u);
}

TEST_F(DeviceTest, BayDeviceNumbersAreGlobalWhicheverControllerIsOpen) {
  Load(Scenario{.extra = R"("bays":[{"channel":0,"type":"quickbay","fan":4000,"temperature":35,
      "power5V":1,"power12V":1},{"channel":2,"type":"plain"}])",
                .second = true});
  ASSERT_EQ(simApply(R"({"controller":1,"bay":0,"type":"omnibay","fan":3000})"), kOk);
  // The type, then the fan, temperature, 5 V and 12 V readings.
  auto bay = [](uint32_t device) {
    int32_t type = 99, spare = 99, r[4] = {};
    EXPECT_EQ(raGetEnclosureStatus(device, &type, &spare, r), kOk);
    return std::vector<int32_t>{type, r[0], r[1], r[2], r[3]};
  };
  for (int open : {0, 1}) {
    Open(open);
    EXPECT_EQ(Out(raEnclosureType, 0), 2) << "controller 0, channel 0";
    EXPECT_EQ(Out(raEnclosureType, 8), 4) << "controller 1, channel 0 is device 8";
    EXPECT_EQ(Out(raEnclosureType, 1), 0) << "a bay answers as its channel's master";
    EXPECT_EQ(Out(raEnclosureType, 4), 1);
    int32_t type = 99;
    EXPECT_EQ(raEnclosureType(16, &type), SIM_E_NO_OBJECT);
    EXPECT_EQ(bay(8)[0], 4);
    EXPECT_EQ(bay(8)[1], 3000);
    EXPECT_EQ(bay(0), (std::vector<int32_t>{2, 4000, 35, 1, 1}));
    EXPECT_EQ(bay(2), (std::vector<int32_t>{-1, -2, -2, -2, -2})) << "no bay on channel 1";
    EXPECT_EQ(bay(4)[0], 1) << "a bay without sensors gives its type only";
    EXPECT_EQ(bay(4)[1], -2);
  }
}

TEST_F(DeviceTest, SensorAlarmsQueueEventsOnTheBaysController) {
  Load(Scenario{.extra = R"("bays":[{"channel":1,"type":"quickbay","fan":4000,"temperature":35,
      "power5V":1,"power12V":1,"temperatureLimit":45}])",
                .second = true});
  Apply(R"({"controller":1,"bay":1,"fan":0,"temperature":46,"power5V":0,"power12V":0})");
  Apply(R"({"controller":1,"bay":1,"temperature":47})");
  EXPECT_TRUE(EventCodes().empty()) << "controller 0 saw nothing";
  Open(1);
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{24, 23, 25, 26}));
  EXPECT_EQ(NeedUpdate(), 0) << "readings are not configuration";
}

TEST_F(DeviceTest, BatteryAnswersOnlyWithModuleAndPack) {
  Load(Scenario{
      .extra = R"("battery":{"chargeStatus":9,"cycles":12,"temperature":29,"voltage":8150})",
      .second = true});
  ASSERT_EQ(simApply(R"({"controller":1,"battery":{"module":false,"pack":false}})"), kOk);
  EXPECT_EQ(Out(raCheckBatteryBackModule), 1);
  EXPECT_EQ(Out(raCheckBatteryPack), 1);
  EXPECT_EQ(Out(raGetChargeStatus), 9);
  EXPECT_EQ(Out(raGetChargeCycle), 12);
  EXPECT_EQ(Out(raGetBatteryTemperature), 29);
  EXPECT_EQ(Out(raGetBatteryVoltage), 8150);

  Apply(R"({"battery":{"pack":false,"cycles":13}})");
  EXPECT_EQ(Out(raCheckBatteryPack), 0);
  uint16_t reading = 0;
  EXPECT_EQ(raGetChargeCycle(&reading), SIM_E_NO_OBJECT);
  Apply(R"({"battery":{"pack":true}})");
  EXPECT_EQ(Out(raGetChargeCycle), 13);

  Open(1);
  EXPECT_EQ(Out(raCheckBatteryBackModule), 0);
  EXPECT_EQ(raGetBatteryVoltage(&reading), SIM_E_NO_OBJECT);

  Load(Scenario{.extra = R"("battery":{"chargeStatus":1})"});
  EXPECT_EQ(Out(raGetChargeCycle), 0) << "a new pack has not been charged";
  Load(Scenario{.extra = R"("battery":{"cycles":0,"voltage":0})"});
  EXPECT_EQ(Out(raGetBatteryVoltage), 0);
}

TEST_F(DeviceTest, EventsComeTwentyAtATimeAndClearLogEmptiesTheQueue) {
  Load(Scenario{.second = true});
  for (int i = 0; i < 25; ++i)
    Apply(R"({"event":{"code":7,"text":"retry )" + std::to_string(i) + "\"}}");
  Apply(R"({"controller":1,"event":{"code":29,"severity":3,"text":"odd"}})");

  RaEventRecord records[RA_MAX_EVENTS + 5];
  int32_t count = 0;
  ASSERT_EQ(raGetEvents(records, &count), kOk);
  ASSERT_EQ(count, 20);
  EXPECT_STREQ(records[0].text, "retry 0");
  EXPECT_STREQ(records[19].text, "retry 19");
  EXPECT_EQ(records[0].severityClass, 1u) << "a retried task is a warning";
  ASSERT_EQ(raGetEvents(records, &count), kOk);
  ASSERT_EQ(count, 5);
  EXPECT_STREQ(records[4].text, "retry 24");
  ASSERT_EQ(raGetEvents(records, &count), kOk);
  EXPECT_EQ(count, 0);

  Apply(R"({"event":{"code":8,"text":"later"}})");
  ASSERT_EQ(raClearLog(), kOk);
  ASSERT_EQ(raGetEvents(records, &count), kOk);
  EXPECT_EQ(count, 0);

  Open(1);
  std::vector<RaEventRecord> events = Events();
  ASSERT_EQ(events.size(), 1u) << "the other controller's queue is its own";
  EXPECT_EQ(events[0].code, 29);
  EXPECT_EQ(events[0].severityClass, 3u);
  EXPECT_EQ(raGetEvents(nullptr, &count), SIM_E_ARGUMENT);
}

TEST_F(DeviceTest, UpdateFlagIsPerControllerAndClearedByReading) {
  Load(Scenario{.second = true});
  EXPECT_EQ(NeedUpdate(), 0);
  ASSERT_EQ(Create("A", kStriping, {0, 1}), kOk);
  Open(1);
  EXPECT_EQ(NeedUpdate(), 0) << "the change was on controller 0";
  Open(0);
  EXPECT_EQ(NeedUpdate(), 1);
  EXPECT_EQ(NeedUpdate(), 0);
  Apply(R"({"update":true})");
  EXPECT_EQ(NeedUpdate(), 1);
}

TEST_F(DeviceTest, SettingsAreReadAndWrittenWithinTheirRanges) {
  Load(Scenario{.extra = R"("settings":{"rebuildRate":255,"readThreshold":8})"});
  EXPECT_EQ(Out(raGetRebuildRate, 0), 255) << "a controller that keeps no rate";
  ASSERT_EQ(raSetRebuildRate(0, 6), kOk);
  EXPECT_EQ(Out(raGetRebuildRate, 0), 6);
  EXPECT_EQ(raSetRebuildRate(0, 255), SIM_E_ARGUMENT);

  int32_t v = 16;
  ASSERT_EQ(raReadThreshold(1, &v), kOk);
  EXPECT_EQ(Out(raReadThreshold, 0), 16);
  v = 300;
  EXPECT_EQ(raWriteThreshold(1, &v), SIM_E_ARGUMENT);
  EXPECT_EQ(raWriteThreshold(2, &v), SIM_E_ARGUMENT);
  v = 5;
  ASSERT_EQ(raSmartCheckEnabled(1, &v), kOk);
  EXPECT_EQ(v, 1) << "the value taken is written back";
  v = 2;
  EXPECT_EQ(raWriteMode(1, &v), SIM_E_ARGUMENT);
  EXPECT_EQ(Out(raOriginalChannelCount, 0), 4);
  EXPECT_EQ(Out(raGetMaxChannelsPerAdapter), 4);
  EXPECT_EQ(NeedUpdate(), 0) << "settings are not configuration";
}

TEST_F(DeviceTest, ControllerRecordsAndTheOpenController) {
  Load(Scenario{.extra = R"("info":{"irq":5,"bmb":"0x1F0","sdram":"0xE0000000"},
      "driverVersion":"drv 1","driverDetail":"fw 2")"});
  RaControllerInfo info = Out(raGetControllerInfo, 0);
  EXPECT_EQ(info.irq, 5);
  EXPECT_EQ(info.bmb, 0x1F0u);
  EXPECT_EQ(info.sdramBase, 0xE0000000u);
  EXPECT_EQ(raGetControllerInfo(1, &info), SIM_E_NOT_OPEN) << "there is one controller";
  char version[RA_VERSION_SIZE], second[RA_VERSION_SIZE];
  ASSERT_EQ(raGetDriverVersion(version, second), kOk);
  EXPECT_STREQ(version, "drv 1");
  EXPECT_STREQ(second, "fw 2");

  // A failed open keeps the open controller; a closed library answers nothing.
  int32_t index = 1;
  int32_t* selection = &index;
  EXPECT_EQ(raInitialize(&selection), SIM_E_NOT_OPEN);
  EXPECT_EQ(simOpenController(), 0);
  EXPECT_EQ(raInitialize(nullptr), SIM_E_ARGUMENT);
  ASSERT_EQ(raTerminate(selection), kOk);
  EXPECT_EQ(simOpenController(), -1);
  EXPECT_EQ(raTerminate(selection), SIM_E_NOT_OPEN);
  int32_t out = 0;
  EXPECT_EQ(raNeedUpdate(&out), SIM_E_NOT_OPEN);
  EXPECT_EQ(raGetControllerInfo(0, &info), SIM_E_NOT_OPEN);
  EXPECT_EQ(raEnclosureType(0, &out), SIM_E_NOT_OPEN);
}

}  // namespace
}  // namespace swkv::test
