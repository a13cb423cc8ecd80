// Array nodes as the agent sees them.
#include <gmock/gmock.h>

#include "events/poll_timer.h"
#include "tests/tree/tree_helpers.h"
#include "events/polled_nodes.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;


// A status the library reports and what the array then stores: "Status ThrottleStatus percent".
struct Case {
  int state, activity, progress;
  const char* shows;
};

class ArrayNodeTest : public TreeTest {
 protected:
  void SetUp() override {
    Load(Scenario("modes"));
    Build();
    array = At("HBA1/M");
  }
  // From now on the library reports this status of every array.
  static void Report(int state, int activity, int progress) {
    simClearFaults();
    for (int output : {0, 1, 2})
      simMisbehave("raGetArrayStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, output,
                   output == 0   ? state
                   : output == 1 ? activity
                                 : progress);
  }
  // "Status ThrottleStatus percent" as stored.
  std::string Shows() {
    return Shown(array.get(), "Status") + " " + Shown(array.get(), "ThrottleStatus") + " " +
           Shown(array.get(), "percent");
  }
  void CreateInLibrary(const char* name, std::int32_t mode) {
    ASSERT_TRUE(SelectController(0));
    ASSERT_EQ(raDeleteArray(1), 0);  // "S" frees disks 2 and 3
    const std::uint8_t disks[] = {2, 3};
    ASSERT_EQ(raCreateArray(name, mode, 2, disks, 0), 0);
  }
  ComPtr<IRiver> array;
};

// The listings of every mode are in tests/tree/expected/modes.txt.
TEST_F(ArrayNodeTest, AModeBeyondTheTableIsUnknown) {
  for (auto [mode, text] : {std::pair{5, "DISTRIBUTED PARITY"}, {6, "UNKNOWN RAID TYPE"},
                            {-1, "UNKNOWN RAID TYPE"}}) {
    simMisbehave("raGetArrayDescription", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, mode);
    array->refresh();
    EXPECT_EQ(Get(array.get(), "RAID_Mode"), text) << mode;
  }
}

TEST_F(ArrayNodeTest, RefreshDecodesWithPercentOnlyForActivities) {
  EXPECT_EQ(Shown(At("HBA1/P").get(), "percent"), "40");
  const Case cases[] = {
      {0, 0, 5, "0 2 -"},      {0, 1, 30, "512 1 30"}, {0, 2, 31, "512 1 31"},
      {0, 3, 32, "256 1 32"},  {0, 4, 33, "768 1 33"}, {0, 5, 34, "512 4 34"},
      {0, 6, 35, "768 4 35"},  {0, 7, 36, "256 4 36"}, {1, 8, 37, "-2147483647 4 -1"},
      {0, -1, 38, "0 4 -1"},   {0, 0, 39, "0 2 -1"},   {1, 0, 0, "-2147483647 2 -1"},
      {2, 0, 0, "-2147483646 2 -1"}, {9, 0, 0, "-2147483646 2 -1"}};
  for (const Case& c : cases) {
    Report(c.state, c.activity, c.progress);
    array->refresh();
    EXPECT_EQ(Shows(), c.shows) << c.state << " " << c.activity;
  }
}

TEST_F(ArrayNodeTest, ReadingStatusPublishesOnlyWhileAnActivityRuns) {
  const Case cases[] = {{0, 1, 30, "512 1 30"},
                        {1, 9, 50, "-2147483647 1 30"},  // unknown activity: only the state
                        {0, 0, 40, "0 1 30"},            // idle: the fields change, not the entries
                        {7, 6, 70, "768 4 70"}};
  for (const Case& c : cases) {
    Report(c.state, c.activity, c.progress);
    Get(array.get(), "Status");
    EXPECT_EQ(Shows(), c.shows) << c.state << " " << c.activity;
  }
  Report(0, 0, 40);
  Get(array.get(), "Status");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus") + " " + Get(array.get(), "percent"), "2 40");
  // Stopped: an activity byte the library no longer confirms is dropped.
  simClearFaults();
  array = At("HBA1/P");
  Invoke(array.get(), "SyncArray", "2048");
  Report(9, 9, 0);
  EXPECT_EQ(Get(array.get(), "Status"), "0");
}

TEST_F(ArrayNodeTest, StatusActionDecodesAndNotifies) {
  auto sink = RecordingSink::Create();
  sink->AdviseOn(array.get());
  const Case cases[] = {{0, 1, 30, "512 1 30"},
                        {1, 0, 0, "-2147483647 1 30"},  // idle: only the state applies
                        {0, 12, 45, "0 1 45"}};
  for (const Case& c : cases) {
    Report(c.state, c.activity, c.progress);
    Invoke(array.get(), "GUI_Status", "ignored");
    EXPECT_EQ(Shows(), c.shows) << c.state << " " << c.activity;
  }
  simClearFaults();
  simFailCall("raGetArrayStatus", -1, 0, 9);
  Invoke(array.get(), "GUI_Status");
  EXPECT_EQ(Shows(), "0 1 45");
  EXPECT_EQ(sink->codes, std::vector<ULONG>(4, 0x2002u));
}

TEST_F(ArrayNodeTest, ReadingStatusNotifiesOncePerChange) {
  auto sink = RecordingSink::Create();
  sink->AdviseOn(array.get());
  Get(array.get(), "Status");
  ASSERT_EQ(simApply(R"({"disk":1,"do":"fail"})"), 0) << simLastError();
  Get(array.get(), "Status");
  EXPECT_EQ(Get(array.get(), "Status"), "-2147483647");
  EXPECT_THAT(sink->codes, ElementsAre(0x2002u));
  // Progress alone is a change too.
  array = At("HBA1/P");
  Get(array.get(), "Status");
  sink = RecordingSink::Create();
  sink->AdviseOn(array.get());
  simAdvanceClock(10000);
  Get(array.get(), "Status");
  Get(array.get(), "Status");
  EXPECT_EQ(Get(array.get(), "percent"), "50");
  EXPECT_THAT(sink->codes, ElementsAre(0x2002u));
}

TEST_F(ArrayNodeTest, RebuildOntoAMemberDiskAndThrottleAtOnce) {
  ASSERT_EQ(simApply(R"({"disk":1,"do":"pull"})"), 0) << simLastError();
  ASSERT_EQ(simApply(R"({"disk":1,"do":"insert"})"), 0) << simLastError();  // offline: in place
  simResetCallCounts();
  for (const std::string& refused :
       {std::string("512"), std::string("512@0"),
        "512@" + HandleAddress(At("HBA1/ch1/slave").get()),
        "512@" + HandleAddress(At("HBA1/S/disk3").get()), "512@" + HandleAddress(array.get()),
        std::string("0"), std::string("300")})
    Invoke(array.get(), "RebuildArray", refused);
  EXPECT_EQ(Calls("raArrayRebuildDisk"), 0);
  Invoke(array.get(), "RebuildArray", "512@" + HandleAddress(At("HBA1/M/disk2").get()));
  EXPECT_EQ(Get(array.get(), "Status") + " " + Get(array.get(), "ThrottleStatus"), "512 1");
  At("HBA1/ch1/slave")->refresh();
  EXPECT_EQ(Get(At("HBA1/ch1/slave").get(), "Rebuild"), "1") << "member 1 is the target";

  Invoke(array.get(), "RebuildArray", "1024");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "4");
  Report(1, 1, 10);  // the next read of "Status" shows what the library reports
  Get(array.get(), "Status");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "1");
  simClearFaults();
  for (auto [code, throttle] :
       {std::pair{"256", "1"}, {"2048", "2"}, {"1024", "2"} /* refused */}) {
    Invoke(array.get(), "RebuildArray", code);
    EXPECT_EQ(Get(array.get(), "ThrottleStatus"), throttle) << code;
  }
  array = At("HBA1/Ary3");  // spanning: not for rebuilding
  EXPECT_EQ(Invoke(array.get(), "RebuildArray", "256"), S_FALSE);
  array = At("HBA2/SM");
  for (auto [code, throttle] :
       {std::pair{"256", "1"}, {"1024", "4"}, {"256", "1"}, {"2048", "2"}, {"512", "1"}}) {
    Invoke(array.get(), "SyncArray", code);
    EXPECT_EQ(Get(array.get(), "ThrottleStatus"), throttle) << code;
  }
  EXPECT_EQ(Calls("raArraySynchronize", 1), 5);
}

TEST_F(ArrayNodeTest, RenameAndNumberedNamesReachTheLibrary) {
  Invoke(array.get(), "rename", "N/A");
  EXPECT_EQ(Shown(array.get(), "name"), "");
  Invoke(array.get(), "rename", "50%s of %d");
  array->refresh();
  EXPECT_EQ(Shown(array.get(), "name"), "50%s of %d");
  for (const char* path : {"HBA1/Ary3", "HBA2/Ary2"}) {
    At(path)->refresh();
    EXPECT_EQ(Shown(At(path).get(), "name"), std::string(path).substr(5));
  }
}

TEST_F(ArrayNodeTest, ArraysAppearVanishAndAreFoundUnderNewNumbers) {
  auto controller = At("HBA1");
  ComPtr<IRiver> removed = At("HBA1/S");
  auto sink = RecordingSink::Create();
  sink->AdviseOn(array.get());
  const std::size_t nodes = ArrayNodeList().size();
  CreateInLibrary("", 0);
  controller->refresh();
  EXPECT_THAT(Links(controller.get(), "25"), ElementsAre("M", "Ary3", "P", "Ary2"));
  EXPECT_THAT(Links(At("HBA1/Ary2").get(), "28"), ElementsAre("disk3", "disk4"));
  EXPECT_THAT(sink->codes, ElementsAre(0x2002u));
  EXPECT_EQ(Get(removed.get(), "name"), "S");
  removed.reset();
  EXPECT_EQ(ArrayNodeList().size(), nodes);

  // The library renumbers (in the model loaded anew): "P" becomes logical 1, and its old number
  // 3 goes to a new array.
  Load(R"({"controllers":[{"disks":[{"disk":0,"model":"A0"},{"disk":1,"model":"A1"},
    {"disk":2,"model":"A2"},{"disk":5,"model":"A5"},{"disk":6,"model":"A6"},{"disk":7,"model":"A7"}],
    "arrays":[{"name":"M","mode":"mirroring","members":[0,1],"logical":0,"physical":1},
    {"name":"P","mode":"parity","members":[5,6,7],"logical":1,"physical":4},
    {"name":"Q","mode":"spanning","members":[2],"logical":3,"physical":6}]}]})");
  ResetSelection();
  ComPtr<IRiver> p = At("HBA1/P");
  controller->refresh();
  EXPECT_THAT(Links(controller.get(), "25"), ElementsAre("M", "P", "Q"));
  EXPECT_EQ(At("HBA1/P").get(), p.get());
  EXPECT_EQ(Shown(p.get(), "RAID_Mode"), "PARITY");
  EXPECT_EQ(Shown(p.get(), "name"), "P");
}

TEST_F(ArrayNodeTest, SecondControllersArraysReadFromIt) {
  auto second = At("HBA2/SM");
  EXPECT_EQ(Get(At("HBA2/SM/disk3").get(), "model"), "B2");
  simResetCallCounts();
  Get(second.get(), "Status");
  Get(array.get(), "Status");
  Invoke(second.get(), "rename", "Second");
  Invoke(second.get(), "GUI_Status");
  EXPECT_EQ(Calls("raGetArrayStatus", 1), 2);
  EXPECT_EQ(Calls("raGetArrayStatus", 0), 1);
  EXPECT_EQ(Calls("raRenameArray", 1), 1);
  EXPECT_EQ(Calls("raEnumerateDisksInArray", 0), 0);
  second->refresh();
  EXPECT_EQ(Get(second.get(), "name"), "Second");
}

TEST_F(ArrayNodeTest, MembersFollowTheLibraryOnStatusActionAndPollingPass) {
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(raDeleteArray(1), 0);
  ASSERT_EQ(simApply(R"({"disk":1,"do":"fail"})"), 0) << simLastError();
  ASSERT_EQ(raArrayRebuildDisk(0, 0, 5), 0);  // onto disk 2, the first free one
  array->refresh();
  EXPECT_THAT(Links(array.get(), "28"), ElementsAre("disk1", "disk2"));
  Invoke(array.get(), "GUI_Status");
  EXPECT_THAT(Links(array.get(), "28"), ElementsAre("disk1", "disk3"));
  simAdvanceClock(100000);
  PollTimerProc(nullptr, 0, 0, 0);
  EXPECT_EQ(Shown(array.get(), "Status"), "0");
  EXPECT_EQ(Get(At("HBA1/M/disk3").get(), "Rebuild"), "0");
}

TEST_F(ArrayNodeTest, FailingCallsLeaveNodesConsistent) {
  auto controller = At("HBA1");
  const std::vector<std::string> before = Dir(array.get());
  ASSERT_EQ(simApply(R"({"disk":1,"do":"fail"})"), 0) << simLastError();
  ResetSelection();
  simFailCall("raInitialize", -1, 0, 9);
  Get(array.get(), "Status");
  for (const char* action : {"rename", "RebuildArray", "SyncArray", "GUI_Status"})
    Invoke(array.get(), action, "256");
  array->refresh();
  controller->refresh();
  EXPECT_EQ(Dir(array.get()), before);
  simClearFaults();
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(raRenameArray(0, "Renamed"), 0);
  simFailCall("raGetArrayDescription", -1, 0, 9);
  array->refresh();
  EXPECT_EQ(Dir(array.get()), before);
  simClearFaults();
  simFailCall("raGetArrayInfo", -1, 0, 9);
  array->refresh();  // the status is read, name, geometry and size stand
  EXPECT_EQ(Shown(array.get(), "name") + " " + Shown(array.get(), "Status"), "M -2147483647");
  EXPECT_EQ(Shown(array.get(), "Size"), "1.000 GB (1024 MB)");

  // Lists that cannot be read, or read with absurd counts, leave arrays and members in place.
  simClearFaults();
  simMisbehave("raEnumerateAllArrays", -1, 0, SIM_MISBEHAVE_COUNT, 0, 1000000);
  simMisbehave("raEnumerateDisksInArray", -1, 0, SIM_MISBEHAVE_COUNT, 0, -1);
  controller->refresh();
  Invoke(array.get(), "GUI_Status");
  EXPECT_THAT(Links(controller.get(), "25"), ElementsAre("M", "S", "Ary3", "P"));
  EXPECT_THAT(Links(array.get(), "28"), ElementsAre("disk1", "disk2"));
  simClearFaults();
  simFailCall("raEnumerateAllArrays", -1, 0, 9);
  simFailCall("raEnumerateDisksInArray", -1, 0, 9);
  CreateInLibrary("T", 0);
  controller->refresh();
  Invoke(array.get(), "GUI_Status");
  EXPECT_THAT(Links(controller.get(), "25"), ElementsAre("M", "S", "Ary3", "P"));
  EXPECT_THAT(Links(array.get(), "28"), ElementsAre("disk1", "disk2"));
  // A new array whose record cannot be read is numbered and lists its entries in their places;
  // one whose name fills the record's 64 bytes is cut there.
  simClearFaults();
  simFailCall("raGetArrayInfo", -1, 0, 9);
  controller->refresh();
  auto created = At("HBA1/Ary2");
  ASSERT_TRUE(created);
  EXPECT_THAT(Names(created.get()),
              ElementsAre("disk3", "disk4", "handle", "RAID_Mode", "Cyls", "Heads", "Sectors",
                          "name", "Block Size", "Size", "Status", "ThrottleStatus", "rename",
                          "ForceIT", "GUI_Status"));
  EXPECT_EQ(Shown(created.get(), "Size"), "0 Bytes");
  simClearFaults();
  simMisbehave("raGetArrayInfo", -1, 0, SIM_MISBEHAVE_UNTERMINATED, 0, 0);
  created->refresh();
  EXPECT_EQ(Get(created.get(), "name"), "Ary2" + std::string(60, ' '));
}

}  // namespace
}  // namespace swkv::test
