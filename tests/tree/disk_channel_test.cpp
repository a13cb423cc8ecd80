// Disk and channel nodes as the agent sees them.
#include <gmock/gmock.h>

#include <climits>

#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;


class DiskChannelTest : public TreeTest {
 protected:
  void SetUp() override {
    Load(Scenario("disks"));
    Build();
  }
  std::vector<std::string> Disks(const char* channel) {
    At(channel)->refresh();
    return Links(At(channel).get(), "28");
  }
};


TEST_F(DiskChannelTest, TimingAndSmartTextsOfEveryCodeAndNoneBeyond) {
  auto disk = At("HBA1/ch1/master");
  auto shown = [&](const char* function, int output, int code, const char* entry) {
    simClearFaults();
    simMisbehave(function, -1, 0, SIM_MISBEHAVE_OUTPUT, output, code);
    disk->refresh();
    return Get(disk.get(), entry);
  };
  const char* timings[] = {"Disk Timing Unknown", "UDMA mode 4", "UDMA mode 3", "UDMA mode 2",
                           "UDMA mode 1",         "UDMA mode 0", "DMA mode 2",  "DMA mode 1",
                           "DMA mode 0",          "UDMA mode 5"};
  for (int code = -1; code <= 8; ++code)
    EXPECT_EQ(shown("raGetDiskTiming", 0, code, "Timing_Mode"), timings[code + 1]);
  for (int code : {9, -2, INT_MIN, INT_MAX})
    EXPECT_EQ(shown("raGetDiskTiming", 0, code, "Timing_Mode"), "");
  const char* smart[] = {"", "Functional", "Error", "Not Supported", "Unknown", ""};
  for (int code = 0; code <= 5; ++code)
    EXPECT_EQ(shown("raGetDiskStatus", 3, code, "smart"), smart[code]);
  EXPECT_EQ(shown("raGetDiskStatus", 3, -1, "smart"), "");
}

TEST_F(DiskChannelTest, ReadingDoesNotQueryTheLibraryRefreshDoes) {
  auto disk = At("HBA1/ch1/master");
  ASSERT_EQ(simApply(R"({"disk":0,"do":"fail"})"), 0) << simLastError();
  simResetCallCounts();
  EXPECT_EQ(Get(disk.get(), "Status"), "256");
  EXPECT_EQ(Get(disk.get(), "Status"), "256");
  EXPECT_EQ(Calls("raGetDiskStatus"), 0);
  disk->refresh();
  EXPECT_EQ(Calls("raGetDiskStatus"), 1);
  EXPECT_EQ(Get(disk.get(), "Status"), "512");
}

TEST_F(DiskChannelTest, RebuildAndConvertFollowTheArraysActivities) {
  Start(R"({"controllers":[{"disks":[{"disk":0,"model":"D0"},{"disk":1,"model":"D1"},
    {"disk":2,"model":"D2"},{"disk":3,"model":"D3"}],"arrays":[
    {"name":"M","mode":"mirroring","members":[0,1],"rebuildTarget":1,
     "task":{"kind":"rebuild","progress":10}},
    {"name":"C","mode":"spanning","members":[2,3],
     "task":{"kind":"convert","targetMode":"striping","originalCount":1}}]}]})");
  auto values = [&](const char* path) {
    At(path)->refresh();
    return Get(At(path).get(), "Rebuild") + " " + Get(At(path).get(), "Convert") + " " +
           Get(At(path).get(), "Status");
  };
  EXPECT_EQ(values("HBA1/ch1/slave"), "1 0 -2147483647");
  EXPECT_EQ(values("HBA1/M/disk2"), "1 0 -2147483647");
  EXPECT_EQ(values("HBA1/ch1/master"), "0 0 256");
  EXPECT_EQ(values("HBA1/ch2/master"), "0 3 -2147483647");
  EXPECT_EQ(values("HBA1/C/disk4"), "0 3 -2147483647");
  // A stopped rebuild leaves its target marked while the array is idle.
  Invoke(At("HBA1/M").get(), "RebuildArray", "2048");
  EXPECT_EQ(values("HBA1/ch1/slave"), "2 0 -2147483647");
}

TEST_F(DiskChannelTest, ChannelsLinkTheDevicesTheLibraryLists) {
  // What the channels list at first is in tests/tree/expected/disks.txt.
  // Masters named with the empty text: one device and two devices both show as the slave.
  simMisbehave("raGetDeviceName", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, 0);
  EXPECT_THAT(Disks("HBA1/ch1"), ElementsAre("slave"));
  EXPECT_THAT(Disks("HBA1/ch3"), ElementsAre("slave"));
  // Listed twice over (an absurd count fills the list with repeats), channel 2 has four devices
  // and shows none; channel 1 two, of which only the slave answers.
  simClearFaults();
  simMisbehave("raEnumerateAllDisks", -1, 0, SIM_MISBEHAVE_COUNT, 0, 1000000);
  EXPECT_THAT(Disks("HBA1/ch3"), ElementsAre());
  EXPECT_THAT(Disks("HBA1/ch2"), ElementsAre("slave"));
  // Disks 0 3 4 5 and then repeats from the start: two devices on channel 2 are the most shown.
  for (auto [count, shown] : {std::pair{6, 2u}, {7, 0u}}) {
    simClearFaults();
    simMisbehave("raEnumerateAllDisks", -1, 0, SIM_MISBEHAVE_COUNT, 0, count);
    EXPECT_EQ(Disks("HBA1/ch3").size(), shown) << count;
  }
  simClearFaults();
  EXPECT_THAT(Disks("HBA1/ch3"), ElementsAre("master", "slave"));
  // A device that stays is the same node, refreshed and notified.
  auto master = At("HBA1/ch3/master");
  auto sink = RecordingSink::Create();
  sink->AdviseOn(master.get());
  ASSERT_EQ(simApply(R"({"disk":5,"do":"pull"})"), 0) << simLastError();
  ASSERT_EQ(simApply(R"({"disk":7,"do":"insert","model":"N-7"})"), 0) << simLastError();
  EXPECT_THAT(Disks("HBA1/ch3"), ElementsAre("master"));
  EXPECT_EQ(At("HBA1/ch3/master").get(), master.get());
  EXPECT_THAT(sink->codes, ElementsAre(0x2002u));
  EXPECT_THAT(Disks("HBA1/ch4"), ElementsAre("slave"));
}

TEST_F(DiskChannelTest, FailingCallsLeaveDisksAndChannelsAsTheyWere) {
  auto disk = At("HBA1/ch1/master");
  std::vector<std::string> expected = Dir(disk.get());
  expected[5] = "smart@pr-@";
  // Without the disk status: status entries and model stand, "smart" empties, the rest is read.
  ASSERT_EQ(simApply(R"({"disk":0,"do":"fail"})"), 0) << simLastError();
  simFailCall("raGetDiskStatus", -1, 0, 9);
  disk->refresh();
  EXPECT_EQ(Dir(disk.get()), expected);
  // Without the disk list the channel keeps its disks; without the controller, everything stays.
  ASSERT_EQ(simApply(R"({"disk":4,"do":"pull"})"), 0) << simLastError();
  simFailCall("raEnumerateAllDisks", -1, 0, 9);
  EXPECT_THAT(Disks("HBA1/ch3"), ElementsAre("master", "slave"));
  simClearFaults();
  ResetSelection();  // the next selection opens the library again
  simFailCall("raInitialize", -1, 0, 9);
  EXPECT_THAT(Disks("HBA1/ch3"), ElementsAre("master", "slave"));
  disk->refresh();
  EXPECT_EQ(Dir(disk.get()), expected);
  simClearFaults();
  EXPECT_THAT(Disks("HBA1/ch3"), ElementsAre("slave"));
  // A name that fills the whole buffer without its NUL ends there.
  simMisbehave("raGetDeviceName", -1, 0, SIM_MISBEHAVE_UNTERMINATED, 0, 0);
  disk->refresh();
  EXPECT_EQ(Get(disk.get(), "model"), "Kestrel KD-40A" + std::string(50, ' '));
}

}  // namespace
}  // namespace swkv::test
