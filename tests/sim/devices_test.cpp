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

  char name[RA_NAME_SIZE];
  std::memset(name, 'X', sizeof name);
  ASSERT_EQ(raGetDeviceName(0, name), kOk);
  EXPECT_STREQ(name, "Kestrel KD-40A");
  uint32_t sectors = 0, cylinders = 0, heads = 0, perTrack = 0;
  ASSERT_EQ(raGetDiskDescription(0, &sectors, &cylinders, &heads, &perTrack), kOk);
  EXPECT_EQ(sectors, 78165360u);
  // The translated IDE geometry: 16 heads, 63 sectors, at most 16383 cylinders.
  EXPECT_EQ(heads, 16u);
  EXPECT_EQ(perTrack, 63u);
  EXPECT_EQ(cylinders, 16383u);
  ASSERT_EQ(raGetDiskDescription(5, &sectors, &cylinders, &heads, &perTrack), kOk);
  EXPECT_EQ(cylinders, 20u);
  int32_t timing = 0;
  ASSERT_EQ(raGetDiskTiming(0, &timing), kOk);
  EXPECT_EQ(timing, 8);
  EXPECT_EQ(Disk(0).smart, 3u);
  EXPECT_EQ(Disk(0).state, kFree);
  EXPECT_EQ(Disk(0).array, kNoArray);

  for (uint32_t absent : {1u, 7u, 8u, 1000u}) {
    EXPECT_EQ(raGetDeviceName(absent, name), SIM_E_NO_OBJECT) << absent;
    EXPECT_EQ(raGetDiskTiming(absent, &timing), SIM_E_NO_OBJECT) << absent;
  }
  EXPECT_EQ(raGetDeviceName(0, nullptr), SIM_E_ARGUMENT);
  EXPECT_EQ(raGetDiskTiming(0, nullptr), SIM_E_ARGUMENT);
}

TEST_F(DeviceTest, PulledMemberComesBackDroppedAndANewDiskComesBackFree) {
  Scenario s;
  s.arrays = R"({"name":"M","mode":"mirroring","members":[0,1]})";
  Load(s);
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
  char name[RA_NAME_SIZE];
  ASSERT_EQ(raGetDeviceName(5, name), kOk);
  EXPECT_STREQ(name, "Fresh");
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
  Scenario s;
  s.second = true;
  s.extra = R"("bays":[{"channel":0,"type":"quickbay","fan":4000,"temperature":35,
      "power5V":1,"power12V":1},{"channel":2,"type":"plain"}])";
  Load(s);
  ASSERT_EQ(simApply(R"({"controller":1,"bay":0,"type":"omnibay","fan":3000})"), kOk);
  for (int open : {0, 1}) {
    Open(open);
    int32_t type = 99;
    ASSERT_EQ(raEnclosureType(0, &type), kOk);
    EXPECT_EQ(type, 2) << "controller 0, channel 0";
    ASSERT_EQ(raEnclosureType(8, &type), kOk);
    EXPECT_EQ(type, 4) << "controller 1, channel 0 is device 8";
    ASSERT_EQ(raEnclosureType(1, &type), kOk);
    EXPECT_EQ(type, 0) << "a bay answers as its channel's master";
    ASSERT_EQ(raEnclosureType(4, &type), kOk);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(raEnclosureType(16, &type), SIM_E_NO_OBJECT);

    int32_t spare = 99, readings[4] = {};
    ASSERT_EQ(raGetEnclosureStatus(8, &type, &spare, readings), kOk);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(readings[0], 3000);
    ASSERT_EQ(raGetEnclosureStatus(0, &type, &spare, readings), kOk);
    EXPECT_EQ(std::vector<int32_t>(readings, readings + 4), (std::vector<int32_t>{4000, 35, 1, 1}));
    ASSERT_EQ(raGetEnclosureStatus(2, &type, &spare, readings), kOk);
    EXPECT_EQ(type, -1) << "no bay on channel 1";
    EXPECT_EQ(std::vector<int32_t>(readings, readings + 4), (std::vector<int32_t>{-2, -2, -2, -2}));
    ASSERT_EQ(raGetEnclosureStatus(4, &type, &spare, readings), kOk);
    EXPECT_EQ(type, 1) << "a bay without sensors gives its type only";
    EXPECT_EQ(readings[0], -2);
  }
}

TEST_F(DeviceTest, SensorAlarmsQueueEventsOnTheBaysController) {
  Scenario s;
  s.second = true;
  s.extra = R"("bays":[{"channel":1,"type":"quickbay","fan":4000,"temperature":35,
      "power5V":1,"power12V":1,"temperatureLimit":45}])";
  Load(s);
  Apply(R"({"controller":1,"bay":1,"fan":0,"temperature":46,"power5V":0,"power12V":0})");
  Apply(R"({"controller":1,"bay":1,"temperature":47})");
  EXPECT_TRUE(EventCodes().empty()) << "controller 0 saw nothing";
  Open(1);
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{24, 23, 25, 26}));
  EXPECT_EQ(NeedUpdate(), 0) << "readings are not configuration";
}

TEST_F(DeviceTest, BatteryAnswersOnlyWithModuleAndPack) {
  Scenario s;
  s.second = true;
  s.extra = R"("battery":{"chargeStatus":9,"cycles":12,"temperature":29,"voltage":8150})";
  Load(s);
  ASSERT_EQ(simApply(R"({"controller":1,"battery":{"module":false,"pack":false}})"), kOk);
  int32_t module = -1, pack = -1, status = 0;
  uint16_t cycles = 0, temperature = 0, voltage = 0;
  ASSERT_EQ(raCheckBatteryBackModule(&module), kOk);
  ASSERT_EQ(raCheckBatteryPack(&pack), kOk);
  EXPECT_EQ(module, 1);
  EXPECT_EQ(pack, 1);
  ASSERT_EQ(raGetChargeStatus(&status), kOk);
  ASSERT_EQ(raGetChargeCycle(&cycles), kOk);
  ASSERT_EQ(raGetBatteryTemperature(&temperature), kOk);
  ASSERT_EQ(raGetBatteryVoltage(&voltage), kOk);
  EXPECT_EQ(status, 9);
  EXPECT_EQ(cycles, 12);
  EXPECT_EQ(temperature, 29);
  EXPECT_EQ(voltage, 8150);

  Apply(R"({"battery":{"pack":false,"cycles":13}})");
  ASSERT_EQ(raCheckBatteryPack(&pack), kOk);
  EXPECT_EQ(pack, 0);
  EXPECT_EQ(raGetChargeCycle(&cycles), SIM_E_NO_OBJECT);
  Apply(R"({"battery":{"pack":true}})");
  ASSERT_EQ(raGetChargeCycle(&cycles), kOk);
  EXPECT_EQ(cycles, 13);

  Open(1);
  ASSERT_EQ(raCheckBatteryBackModule(&module), kOk);
  EXPECT_EQ(module, 0);
  EXPECT_EQ(raGetBatteryVoltage(&voltage), SIM_E_NO_OBJECT);
}

TEST_F(DeviceTest, EventsComeTwentyAtATimeAndClearLogEmptiesTheQueue) {
  Scenario s;
  s.second = true;
  Load(s);
  for (int i = 0; i < 25; ++i) {
    Apply(R"({"event":{"code":7,"text":"retry )" + std::to_string(i) + "\"}}");
  }
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
  Scenario s;
  s.second = true;
  Load(s);
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
  int32_t v = 0;
  ASSERT_EQ(raGetRebuildRate(0, &v), kOk);
  EXPECT_EQ(v, 255) << "a controller that keeps no rate";
  ASSERT_EQ(raSetRebuildRate(0, 6), kOk);
  ASSERT_EQ(raGetRebuildRate(0, &v), kOk);
  EXPECT_EQ(v, 6);
  EXPECT_EQ(raSetRebuildRate(0, 255), SIM_E_ARGUMENT);

  v = 16;
  ASSERT_EQ(raReadThreshold(1, &v), kOk);
  v = 0;
  ASSERT_EQ(raReadThreshold(0, &v), kOk);
  EXPECT_EQ(v, 16);
  v = 300;
  EXPECT_EQ(raWriteThreshold(1, &v), SIM_E_ARGUMENT);
  EXPECT_EQ(raWriteThreshold(2, &v), SIM_E_ARGUMENT);
  v = 5;
  ASSERT_EQ(raSmartCheckEnabled(1, &v), kOk);
  EXPECT_EQ(v, 1) << "the value taken is written back";
  v = 2;
  EXPECT_EQ(raWriteMode(1, &v), SIM_E_ARGUMENT);
  ASSERT_EQ(raOriginalChannelCount(0, &v), kOk);
  EXPECT_EQ(v, 4);
  ASSERT_EQ(raGetMaxChannelsPerAdapter(&v), kOk);
  EXPECT_EQ(v, 4);
  EXPECT_EQ(NeedUpdate(), 0) << "settings are not configuration";
}

TEST_F(DeviceTest, ControllerRecordsAndTheOpenController) {
  Load(Scenario{.extra = R"("info":{"irq":5,"bmb":"0x1F0","sdram":"0xE0000000"},
      "driverVersion":"drv 1","driverDetail":"fw 2")"});
  RaControllerInfo info{};
  ASSERT_EQ(raGetControllerInfo(0, &info), kOk);
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
  int32_t flag = 0;
  EXPECT_EQ(raNeedUpdate(&flag), SIM_E_NOT_OPEN);
  EXPECT_EQ(raGetControllerInfo(0, &info), SIM_E_NOT_OPEN);
  int32_t type = 0;
  EXPECT_EQ(raEnclosureType(0, &type), SIM_E_NOT_OPEN);
}

}  // namespace
}  // namespace swkv::test
