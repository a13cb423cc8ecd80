// Disk and channel nodes as the agent sees them: a disk's entries and texts, its part in its
// array's activities, and the channels' "master" and "slave" links following the library's disks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>

#include "tests/support/tree_fixture.h"
#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;

// Channel 0: master only; channel 1: slave only; channel 2: both; channel 3: none.
constexpr const char* kDisks = R"({"controllers":[{"disks":[
  {"disk":0,"model":"Kestrel KD-40A","sectors":78165360,"cylinders":16383,"heads":16,
   "sectorsPerTrack":63,"timing":2},
  {"disk":3,"model":"Heron H-1","sectors":2097152,"timing":-1,"smart":3},
  {"disk":4,"model":"Osprey OS-20","sectors":20000,"timing":8},
  {"disk":5,"model":"Osprey OS-20","sectors":20000}]}]})";

class DiskChannelTest : public TreeTest {
 protected:
  // The link names below a channel, "handle" left out.
  std::vector<std::string> Links(const char* path) {
    std::vector<std::string> links;
    for (const std::string& entry : Dir(At(path).get()))
      if (entry.find("@o--@") != std::string::npos) links.push_back(entry);
    return links;
  }
};

TEST_F(DiskChannelTest, DiskShowsItsEntriesInOrderWithFlagsAndFormats) {
  Load(kDisks);
  Build();
  auto disk = At("HBA1/ch1/master");
  ASSERT_TRUE(disk);
  std::string handle = Get(disk.get(), "handle");
  EXPECT_THAT(handle, MatchesRegex("[1-9][0-9]*;28"));
  EXPECT_EQ(Get(At("HBA1/ch1").get(), "master"), handle);
  EXPECT_THAT(Dir(disk.get()),
              ElementsAre("handle@pr-@" + handle, "Rebuild@prv@0", "Convert@prv@0",
                          "Status@prv@256", "model@pr-@Kestrel KD-40A", "smart@pr-@Functional",
                          "Cyls@pr-@16383", "Heads@pr-@16", "Sectors@pr-@63",
                          "Size@pr-@37.271 GB", "Timing_Mode@pr-@UDMA mode 2",
                          "Channel@pr-@0"));
  auto slave = At("HBA1/ch2/slave");
  ASSERT_TRUE(slave) << "a channel with a slave only";
  EXPECT_EQ(Get(slave.get(), "Size"), "1.000 GB (1024 MB)");
  EXPECT_EQ(Get(slave.get(), "Timing_Mode"), "Disk Timing Unknown");
  EXPECT_EQ(Get(slave.get(), "smart"), "Not Supported");
  EXPECT_EQ(Get(slave.get(), "Channel"), "1");
  EXPECT_EQ(Get(At("HBA1/ch3/master").get(), "Size"), "9.765 MB");
  EXPECT_EQ(Get(At("HBA1/ch3/master").get(), "Timing_Mode"), "UDMA mode 5");
  EXPECT_EQ(Get(At("HBA1/ch3/slave").get(), "Channel"), "2");
  // A disk has no actions: nothing can be invoked or written.
  EXPECT_EQ(Invoke(disk.get(), "Status", "1"), S_FALSE);
  EXPECT_EQ(Set(disk.get(), "model", "x"), S_FALSE);
}

TEST_F(DiskChannelTest, TimingAndSmartTextsCoverEveryCodeAndNothingBeyond) {
  Load(kDisks);
  Build();
  auto disk = At("HBA1/ch1/master");
  const std::pair<std::int32_t, const char*> timings[] = {
      {-1, "Disk Timing Unknown"}, {0, "UDMA mode 4"}, {1, "UDMA mode 3"},
      {2, "UDMA mode 2"},          {3, "UDMA mode 1"}, {4, "UDMA mode 0"},
      {5, "DMA mode 2"},           {6, "DMA mode 1"},  {7, "DMA mode 0"},
      {8, "UDMA mode 5"},          {9, ""},            {-2, ""},
      {INT_MIN, ""},               {INT_MAX, ""}};
  for (const auto& [code, text] : timings) {
    simClearFaults();
    simMisbehave("raGetDiskTiming", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, code);
    disk->refresh();
    EXPECT_EQ(Get(disk.get(), "Timing_Mode"), text) << "timing code " << code;
  }
  const std::pair<std::int32_t, const char*> smarts[] = {
      {1, "Functional"}, {2, "Error"}, {3, "Not Supported"}, {4, "Unknown"},
      {0, ""},           {5, ""},      {-1, ""}};
  for (const auto& [code, text] : smarts) {
    simClearFaults();
    simMisbehave("raGetDiskStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, 3, code);
    disk->refresh();
    EXPECT_EQ(Get(disk.get(), "smart"), text) << "SMART code " << code;
  }
  simClearFaults();
  ASSERT_EQ(simApply(R"({"disk":0,"do":"smart","smart":2})"), 0) << simLastError();
  disk->refresh();
  EXPECT_EQ(Get(disk.get(), "smart"), "Error");
}

TEST_F(DiskChannelTest, StatusFollowsTheStateCode) {
  Load(kDisks);
  Build();
  auto disk = At("HBA1/ch1/master");
  for (auto [state, status] : {std::pair{0, "256"}, {1, "512"}, {2, "256"}, {3, "512"},
                               {7, "256"}, {-1, "256"}}) {
    simClearFaults();
    simMisbehave("raGetDiskStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, 1, state);
    disk->refresh();
    EXPECT_EQ(Get(disk.get(), "Status"), status) << "state code " << state;
  }
}

// A mirror being rebuilt onto its member 1, a span being converted to take disk 3, and
// a free disk 4.
constexpr const char* kActivities = R"({"controllers":[{"activitySeconds":100,"disks":[
  {"disk":0,"model":"D0","sectors":1000000},{"disk":1,"model":"D1","sectors":1000000},{"disk":2,"model":"D2","sectors":1000000},
  {"disk":3,"model":"D3","sectors":1000000},{"disk":4,"model":"D4","sectors":1000000}],
 "arrays":[
  {"name":"M","mode":"mirroring","members":[0,1],"rebuildTarget":1,
   "task":{"kind":"rebuild","progress":10}},
  {"name":"C","mode":"spanning","members":[2,3],
   "task":{"kind":"convert","progress":20,"targetMode":"striping","originalCount":1}}]}]})";

TEST_F(DiskChannelTest, RebuildConvertAndStatusFollowTheArraysActivities) {
  Load(kActivities);
  Build();
  auto target = At("HBA1/ch1/slave");
  EXPECT_EQ(Get(target.get(), "Rebuild"), "1");
  EXPECT_EQ(Get(target.get(), "Convert"), "0");
  EXPECT_EQ(Get(target.get(), "Status"), "-2147483647");
  auto source = At("HBA1/ch1/master");
  EXPECT_EQ(Get(source.get(), "Rebuild"), "0");
  EXPECT_EQ(Get(source.get(), "Status"), "256");
  for (const char* path : {"HBA1/ch2/master", "HBA1/ch2/slave", "HBA1/C/disk3", "HBA1/C/disk4"}) {
    auto converting = At(path);
    ASSERT_TRUE(converting) << path;
    EXPECT_EQ(Get(converting.get(), "Convert"), "3") << path;
    EXPECT_EQ(Get(converting.get(), "Rebuild"), "0") << path;
    EXPECT_EQ(Get(converting.get(), "Status"), "-2147483647") << path;
  }
  // The member disk under the array shows what the channel's disk shows.
  EXPECT_EQ(Dir(At("HBA1/M/disk2").get()).size(), Dir(target.get()).size());
  EXPECT_EQ(Get(At("HBA1/M/disk2").get(), "Rebuild"), "1");

  // Stopped, the rebuild leaves its target marked while the array is idle.
  Invoke(At("HBA1/M").get(), "RebuildArray", "2048");
  target->refresh();
  EXPECT_EQ(Get(target.get(), "Rebuild"), "2");
  EXPECT_EQ(Get(target.get(), "Convert"), "0");
  EXPECT_EQ(Get(target.get(), "Status"), "-2147483647");
  EXPECT_EQ(Get(At("HBA1/ch3/master").get(), "Status"), "256") << "a free disk";
}

TEST_F(DiskChannelTest, ReadingIsNotQueryingButRefreshIs) {
  Load(kDisks);
  Build();
  auto disk = At("HBA1/ch1/master");
  ASSERT_EQ(simApply(R"({"disk":0,"do":"fail"})"), 0) << simLastError();
  simResetCallCounts();
  EXPECT_EQ(Get(disk.get(), "Status"), "256");
  EXPECT_EQ(Get(disk.get(), "Status"), "256");
  EXPECT_EQ(Get(disk.get(), "model"), "Kestrel KD-40A");
  EXPECT_EQ(Calls("raGetDiskStatus"), 0);
  EXPECT_EQ(Calls("raGetDeviceName"), 0);
  EXPECT_EQ(disk->refresh(), S_OK);
  EXPECT_EQ(Calls("raGetDiskStatus"), 1);
  EXPECT_EQ(Get(disk.get(), "Status"), "512");
}

TEST_F(DiskChannelTest, ChannelsLinkTheDevicesTheyHave) {
  Load(kDisks);
  Build();
  auto channel = At("HBA1/ch1");
  EXPECT_EQ(Dir(channel.get()).front(), "handle@pr-@" + HandleAddress(channel.get()) + ";27");
  EXPECT_THAT(Links("HBA1/ch1"), ElementsAre("master@o--@28"));
  EXPECT_THAT(Links("HBA1/ch2"), ElementsAre("slave@o--@28"));
  EXPECT_THAT(Links("HBA1/ch3"), ElementsAre("master@o--@28", "slave@o--@28"));
  EXPECT_THAT(Links("HBA1/ch4"), ElementsAre());
  EXPECT_EQ(Get(At("HBA1/ch2/slave").get(), "model"), "Heron H-1");

  // Devices come and go with the library's list; a device that stays is the same node.
  auto master = At("HBA1/ch3/master");
  ASSERT_EQ(simApply(R"({"disk":5,"do":"pull"})"), 0) << simLastError();
  ASSERT_EQ(simApply(R"({"disk":7,"do":"insert","model":"New N-1","sectors":4096})"), 0)
      << simLastError();
  auto sink = RecordingSink::Create();
  sink->AdviseOn(master.get());
  At("HBA1/ch3")->refresh();
  At("HBA1/ch4")->refresh();
  EXPECT_THAT(Links("HBA1/ch3"), ElementsAre("master@o--@28"));
  EXPECT_EQ(At("HBA1/ch3/master").get(), master.get());
  EXPECT_THAT(sink->codes, ElementsAre(0x2002u)) << "found again: refreshed and notified";
  EXPECT_THAT(Links("HBA1/ch4"), ElementsAre("slave@o--@28"));
  EXPECT_EQ(Get(At("HBA1/ch4/slave").get(), "model"), "New N-1");
}

TEST_F(DiskChannelTest, AMasterWithoutNameCountsAsTheSlave) {
  Load(kDisks);
  Build();
  // The library names every device with the empty text.
  simMisbehave("raGetDeviceName", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, 0);
  At("HBA1/ch1")->refresh();
  At("HBA1/ch3")->refresh();
  // One device with an empty master name: the device is taken as the slave.
  EXPECT_THAT(Links("HBA1/ch1"), ElementsAre("slave@o--@28"));
  // Two devices with an empty master name: only the slave.
  EXPECT_THAT(Links("HBA1/ch3"), ElementsAre("slave@o--@28"));
  EXPECT_EQ(Get(At("HBA1/ch3/slave").get(), "model"), "");
}

TEST_F(DiskChannelTest, ThreeOrMoreDevicesOnAChannelShowNone) {
  Load(kDisks);
  Build();
  // The list repeats the four disks 0, 3, 4, 5 to fill its room: channels 0 and 1 see two
  // devices each, channel 2 four.
  simMisbehave("raEnumerateAllDisks", -1, 0, SIM_MISBEHAVE_COUNT, 0, 8);
  for (const char* channel : {"HBA1/ch1", "HBA1/ch2", "HBA1/ch3"}) At(channel)->refresh();
  EXPECT_THAT(Links("HBA1/ch1"), ElementsAre("master@o--@28"));
  EXPECT_THAT(Links("HBA1/ch2"), ElementsAre("slave@o--@28"));
  EXPECT_THAT(Links("HBA1/ch3"), ElementsAre());
  // A count far beyond the room is cut to the room.
  simClearFaults();
  simMisbehave("raEnumerateAllDisks", -1, 0, SIM_MISBEHAVE_COUNT, 0, 1000000);
  At("HBA1/ch1")->refresh();
  EXPECT_THAT(Links("HBA1/ch1"), ElementsAre("master@o--@28"));
  simClearFaults();
  At("HBA1/ch3")->refresh();
  EXPECT_THAT(Links("HBA1/ch3"), ElementsAre("master@o--@28", "slave@o--@28"));
}

TEST_F(DiskChannelTest, FailingCallsLeaveDisksAndChannelsAsTheyWere) {
  Load(kDisks);
  Build();
  auto disk = At("HBA1/ch1/master");
  const std::vector<std::string> before = Dir(disk.get());

  // The disk's status cannot be read: its status entries and model stand, "smart" empties,
  // the rest is read as usual.
  simFailCall("raGetDiskStatus", -1, 0, 9);
  ASSERT_EQ(simApply(R"({"disk":0,"do":"fail"})"), 0) << simLastError();
  disk->refresh();
  std::vector<std::string> after = Dir(disk.get());
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (i == 5) continue;  // "smart"
    EXPECT_EQ(after[i], before[i]);
  }
  EXPECT_EQ(after[5], "smart@pr-@");
  simClearFaults();

  // The disk list cannot be read: the channels keep their disks.
  ASSERT_EQ(simApply(R"({"disk":5,"do":"pull"})"), 0) << simLastError();
  simFailCall("raEnumerateAllDisks", -1, 0, 9);
  At("HBA1/ch3")->refresh();
  EXPECT_THAT(Links("HBA1/ch3"), ElementsAre("master@o--@28", "slave@o--@28"));
  simClearFaults();

  // The controller cannot be selected: nothing is read and nothing changes.
  ASSERT_EQ(simApply(R"({"disk":4,"do":"pull"})"), 0) << simLastError();
  ResetSelection();  // the next selection opens the library again
  simFailCall("raInitialize", -1, 0, 9);
  simResetCallCounts();
  disk->refresh();
  At("HBA1/ch3")->refresh();
  EXPECT_EQ(Calls("raGetDiskStatus") + Calls("raEnumerateAllDisks"), 0);
  EXPECT_THAT(Links("HBA1/ch3"), ElementsAre("master@o--@28", "slave@o--@28"));
  EXPECT_EQ(Get(disk.get(), "Status"), "256");
  simClearFaults();
  At("HBA1/ch3")->refresh();
  EXPECT_THAT(Links("HBA1/ch3"), ElementsAre());
}

TEST_F(DiskChannelTest, AnUnterminatedDeviceNameEndsAtTheBuffer) {
  Load(kDisks);
  Build();
  simMisbehave("raGetDeviceName", -1, 0, SIM_MISBEHAVE_UNTERMINATED, 0, 0);
  auto disk = At("HBA1/ch1/master");
  disk->refresh();
  At("HBA1/ch1")->refresh();
  std::string model = Get(disk.get(), "model");
  EXPECT_EQ(model.size(), 64u);
  EXPECT_EQ(model.substr(0, 15), "Kestrel KD-40A ");
  EXPECT_THAT(Links("HBA1/ch1"), ElementsAre("master@o--@28"));
}

}  // namespace
}  // namespace swkv::test
