// Array nodes as the agent sees them: their entries, the actions by RAID mode, the live status
// as each path decodes it, the actions, and the arrays following the library's list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "events/poll_timer.h"
#include "raidlib/raidapikv9k.h"
#include "tests/support/tree_fixture.h"
#include "tests/tree/tree_helpers.h"
#include "tree/array_node_list.h"

namespace swkv::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using ::testing::Not;

// Arrays of all six modes, two of them unnamed; "P" is being synchronised (40% of 100 s done).
constexpr const char* kArrays = R"({"controllers":[
 {"activitySeconds":100,"settings":{"hotSpares":0},"disks":[
  {"disk":0,"model":"A0","sectors":2097152},{"disk":1,"model":"A1","sectors":2097152},
  {"disk":2,"model":"A2","sectors":2097152},{"disk":3,"model":"A3","sectors":2097152},
  {"disk":4,"model":"A4","sectors":2097152},{"disk":5,"model":"A5","sectors":2097152},
  {"disk":6,"model":"A6","sectors":2097152},{"disk":7,"model":"A7","sectors":2097152}],
  "arrays":[
  {"name":"M","mode":"mirroring","members":[0,1]},
  {"name":"S","mode":"striping","members":[2,3],"blockSectors":256},
  {"mode":"spanning","members":[4]},
  {"name":"P","mode":"parity","members":[5,6,7],"task":{"kind":"sync","progress":40}}]},
 {"disks":[
  {"disk":0,"model":"B0"},{"disk":1,"model":"B1"},{"disk":2,"model":"B2"},{"disk":3,"model":"B3"},
  {"disk":4,"model":"B4"},{"disk":5,"model":"B5"},{"disk":6,"model":"B6"}],
  "arrays":[
  {"name":"SM","mode":"stripe-mirroring","members":[0,1,2,3]},
  {"mode":"distributed-parity","members":[4,5,6]}]}]})";

class ArrayNodeTest : public TreeTest {
 protected:
  // The stored value of an entry, read from the listing: no hook runs, nothing is queried.
  static std::string Shown(IRiver* node, std::string_view name) {
    std::string entry = Entry(node, name);
    if (entry.empty()) return "(absent)";
    return entry.substr(entry.find('@', entry.find('@') + 1) + 1);
  }
  // The library reports this status for every array until the next call of Report.
  static void Report(std::int32_t state, std::int32_t activity, std::int32_t progress) {
    simClearFaults();
    simMisbehave("raGetArrayStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, state);
    simMisbehave("raGetArrayStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, 1, activity);
    simMisbehave("raGetArrayStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, 2, progress);
  }
  // The names of a node's child links, all of them or those to nodes of one kind.
  static std::vector<std::string> Links(IRiver* node, const char* kind = "") {
    std::vector<std::string> links;
    const std::string sort = std::string("@o--@") + kind;
    for (const std::string& entry : Dir(node)) {
      std::size_t at = entry.find(sort);
      if (at != std::string::npos && (!*kind || at + sort.size() == entry.size()))
        links.push_back(entry.substr(0, entry.find('@')));
    }
    return links;
  }
  static std::vector<std::string> Arrays(const ComPtr<IRiver>& controller) {
    return Links(controller.get(), "25");
  }
};

TEST_F(ArrayNodeTest, ArrayShowsItsEntriesInOrderWithFlags) {
  Load(kArrays);
  Build();
  auto array = At("HBA1/M");
  ASSERT_TRUE(array);
  EXPECT_EQ(Entry(At("HBA1").get(), "M"), "M@o--@25");
  const std::string handle = Get(array.get(), "handle");
  EXPECT_THAT(handle, MatchesRegex("[1-9][0-9]*;25"));
  EXPECT_THAT(Dir(array.get()),
              ElementsAre("disk1@o--@28", "disk2@o--@28", "handle@pr-@" + handle,
                          "RAID_Mode@prw@MIRRORING", MatchesRegex("Cyls@prw@[1-9][0-9]*"),
                          MatchesRegex("Heads@prw@[1-9][0-9]*"),
                          MatchesRegex("Sectors@prw@[1-9][0-9]*"), "name@prw@M",
                          "Block Size@prw@64 (kb)", "Size@pr-@1.000 GB (1024 MB)", "Status@prv@0",
                          "ThrottleStatus@prv@2", "rename@m--@16",
                          "RebuildArray@m--@134217788", "SyncArray@m--@134217788",
                          "ForceIT@m--@-134217729", "GUI_Status@m--@-134217729"));
  EXPECT_EQ(Get(At("HBA1/S").get(), "Block Size"), "128 (kb)");
  EXPECT_EQ(Get(At("HBA1/S").get(), "Size"), "2.000 GB (2048 MB)");
  // A running activity shows its progress from the start.
  EXPECT_EQ(Shown(At("HBA1/P").get(), "percent"), "40");
  EXPECT_EQ(Shown(At("HBA1/P").get(), "Status"), "256");
  EXPECT_EQ(Shown(At("HBA1/P").get(), "ThrottleStatus"), "1");
  // The writable properties take a new text and keep it until the next update.
  EXPECT_EQ(Set(array.get(), "Cyls", "7"), S_OK);
  EXPECT_EQ(Get(array.get(), "Cyls"), "7");
  EXPECT_EQ(Set(array.get(), "Size", "7"), S_FALSE);
  EXPECT_EQ(Invoke(array.get(), "ForceIT", "anything"), S_OK);
  EXPECT_EQ(Invoke(array.get(), "Rename", "x"), S_FALSE) << "names are case-sensitive";
}

TEST_F(ArrayNodeTest, ModeTextsAndActionsFollowTheRaidMode) {
  Load(kArrays);
  Build();
  const std::pair<const char*, const char*> arrays[] = {
      {"HBA1/M", "MIRRORING"},    {"HBA1/S", "STRIPING"},
      {"HBA1/Ary3", "SPANNING"},  {"HBA1/P", "PARITY"},
      {"HBA2/SM", "STRIPING + MIRRORING"}, {"HBA2/Ary2", "DISTRIBUTED PARITY"}};
  for (const auto& [path, text] : arrays) {
    auto array = At(path);
    ASSERT_TRUE(array) << path;
    EXPECT_EQ(Get(array.get(), "RAID_Mode"), text) << path;
    std::vector<std::string> actions;
    for (const std::string& entry : Dir(array.get()))
      if (entry.find("@m--@") != std::string::npos) actions.push_back(entry.substr(0, entry.find('@')));
    if (std::string_view(text) == "STRIPING" || std::string_view(text) == "SPANNING")
      EXPECT_THAT(actions, ElementsAre("rename", "ForceIT", "GUI_Status")) << path;
    else
      EXPECT_THAT(actions, ElementsAre("rename", "RebuildArray", "SyncArray", "ForceIT",
                                       "GUI_Status")) << path;
  }
  // Without the action the library is not asked.
  simResetCallCounts();
  EXPECT_EQ(Invoke(At("HBA1/S").get(), "RebuildArray", "256"), S_FALSE);
  EXPECT_EQ(Calls("raArrayRebuildDisk"), 0);
  // A mode the table does not know.
  simMisbehave("raGetArrayDescription", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, 9);
  At("HBA1/M")->refresh();
  EXPECT_EQ(Get(At("HBA1/M").get(), "RAID_Mode"), "UNKNOWN RAID TYPE");
}

TEST_F(ArrayNodeTest, RefreshDecodesTheStatusWithPercentOnlyForActivities) {
  Load(kArrays);
  Build();
  auto array = At("HBA1/M");
  struct Case {
    std::int32_t state, activity, progress;
    const char *status, *throttle, *percent;
  };
  const Case cases[] = {
      {0, 0, 5, "0", "2", "(absent)"},  // no activity: no percent
      {0, 1, 30, "512", "1", "30"},      {0, 2, 31, "512", "1", "31"},
      {0, 3, 32, "256", "1", "32"},      {0, 4, 33, "768", "1", "33"},
      {0, 5, 34, "512", "4", "34"},      {0, 6, 35, "768", "4", "35"},
      {0, 7, 36, "256", "4", "36"},
      {1, 8, 37, "-2147483647", "4", "-1"},  // unknown activity: the state's status
      {0, -1, 38, "0", "4", "-1"},
      {0, 0, 39, "0", "2", "-1"},
      {1, 0, 0, "-2147483647", "2", "-1"},  // critical and idle stays critical
      {2, 0, 0, "-2147483646", "2", "-1"},
      {9, 0, 0, "-2147483646", "2", "-1"},  // unknown state: the value preset before the query
  };
  for (const Case& c : cases) {
    Report(c.state, c.activity, c.progress);
    array->refresh();
    SCOPED_TRACE(testing::Message() << "state " << c.state << ", activity " << c.activity);
    EXPECT_EQ(Shown(array.get(), "Status"), c.status);
    EXPECT_EQ(Shown(array.get(), "ThrottleStatus"), c.throttle);
    EXPECT_EQ(Shown(array.get(), "percent"), c.percent);
  }
  // Nothing can be read: the preset value shows.
  simClearFaults();
  simFailCall("raGetArrayStatus", -1, 0, 9);
  array->refresh();
  EXPECT_EQ(Shown(array.get(), "Status"), "-2147483646");
}

TEST_F(ArrayNodeTest, ReadingStatusDecodesAndPublishesOnlyWhileAnActivityRuns) {
  Load(kArrays);
  Build();
  auto array = At("HBA1/M");
  Report(0, 1, 30);
  EXPECT_EQ(Get(array.get(), "Status"), "512");
  EXPECT_EQ(Shown(array.get(), "percent"), "30");
  EXPECT_EQ(Shown(array.get(), "ThrottleStatus"), "1");
  // An activity code it does not know changes nothing but what the state sets.
  Report(1, 9, 50);
  EXPECT_EQ(Get(array.get(), "Status"), "-2147483647");
  EXPECT_EQ(Shown(array.get(), "percent"), "30");
  EXPECT_EQ(Shown(array.get(), "ThrottleStatus"), "1");
  // Idle: the fields change, the entries only when they are read.
  Report(0, 0, 40);
  EXPECT_EQ(Get(array.get(), "Status"), "0");
  EXPECT_EQ(Shown(array.get(), "ThrottleStatus"), "1");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "2");
  EXPECT_EQ(Get(array.get(), "percent"), "40");
  Report(7, 6, 70);
  EXPECT_EQ(Get(array.get(), "Status"), "768");
  EXPECT_EQ(Shown(array.get(), "ThrottleStatus"), "4");
  EXPECT_EQ(Shown(array.get(), "percent"), "70");

  // A stopped activity whose status the library no longer reports loses its activity byte.
  simClearFaults();
  auto syncing = At("HBA1/P");
  EXPECT_EQ(Get(syncing.get(), "Status"), "256");
  EXPECT_EQ(Invoke(syncing.get(), "SyncArray", "2048"), S_OK);
  EXPECT_EQ(Get(syncing.get(), "ThrottleStatus"), "2");
  Report(9, 9, 0);
  EXPECT_EQ(Get(syncing.get(), "Status"), "0");
}

TEST_F(ArrayNodeTest, StatusActionDecodesAndNotifies) {
  Load(kArrays);
  Build();
  auto array = At("HBA1/M");
  auto sink = RecordingSink::Create();
  sink->AdviseOn(array.get());
  Report(0, 1, 30);
  EXPECT_EQ(Invoke(array.get(), "GUI_Status", "ignored"), S_OK);
  EXPECT_EQ(Shown(array.get(), "Status"), "512");
  EXPECT_EQ(Shown(array.get(), "percent"), "30");
  EXPECT_EQ(Shown(array.get(), "ThrottleStatus"), "1");
  // Idle: only the state applies.
  Report(1, 0, 0);
  Invoke(array.get(), "GUI_Status");
  EXPECT_EQ(Shown(array.get(), "Status"), "-2147483647");
  EXPECT_EQ(Shown(array.get(), "percent"), "30");
  EXPECT_EQ(Shown(array.get(), "ThrottleStatus"), "1");
  // An unknown activity: the state's status, and the progress as it is reported.
  Report(0, 12, 45);
  Invoke(array.get(), "GUI_Status");
  EXPECT_EQ(Shown(array.get(), "Status"), "0");
  EXPECT_EQ(Shown(array.get(), "percent"), "45");
  EXPECT_EQ(Shown(array.get(), "ThrottleStatus"), "1");
  // Nothing can be read: the fields stand, and the node still notifies.
  simClearFaults();
  simFailCall("raGetArrayStatus", -1, 0, 9);
  Invoke(array.get(), "GUI_Status");
  EXPECT_EQ(Shown(array.get(), "Status"), "0");
  EXPECT_EQ(sink->codes, std::vector<ULONG>(4, 0x2002u));
}

TEST_F(ArrayNodeTest, ReadingStatusNotifiesOnceForEachChange) {
  Load(kArrays);
  Build();
  auto array = At("HBA1/M");
  auto sink = RecordingSink::Create();
  sink->AdviseOn(array.get());
  Get(array.get(), "Status");
  Get(array.get(), "Status");
  EXPECT_TRUE(sink->codes.empty()) << "nothing changed since the build";
  ASSERT_EQ(simApply(R"({"disk":1,"do":"fail"})"), 0) << simLastError();
  EXPECT_EQ(Get(array.get(), "Status"), "-2147483647");
  EXPECT_EQ(Get(array.get(), "Status"), "-2147483647");
  EXPECT_THAT(sink->codes, ElementsAre(0x2002u));

  // Progress alone is a change too.
  auto syncing = At("HBA1/P");
  auto syncSink = RecordingSink::Create();
  syncSink->AdviseOn(syncing.get());
  Get(syncing.get(), "Status");
  syncSink->codes.clear();
  simAdvanceClock(10000);
  EXPECT_EQ(Get(syncing.get(), "Status"), "256");
  EXPECT_EQ(Get(syncing.get(), "Status"), "256");
  EXPECT_EQ(Get(syncing.get(), "percent"), "50");
  EXPECT_THAT(syncSink->codes, ElementsAre(0x2002u));
}

// A mirror whose member 1 is offline (to be rebuilt in place), and a normal mirror.
constexpr const char* kMirrors = R"({"controllers":[
 {"activitySeconds":100,"settings":{"hotSpares":0},"disks":[
  {"disk":0,"model":"D0"},{"disk":1,"model":"D1"},{"disk":2,"model":"D2"},{"disk":3,"model":"D3"}],
  "arrays":[{"name":"M","mode":"mirroring","members":[0,1]},
            {"name":"N","mode":"mirroring","members":[2,3]}]}],
 "timeline":[]})";

TEST_F(ArrayNodeTest, RebuildOntoADiskOfThisArray) {
  Load(kMirrors);
  Build();
  ASSERT_EQ(simApply(R"({"disk":1,"do":"pull"})"), 0) << simLastError();
  ASSERT_EQ(simApply(R"({"disk":1,"do":"insert"})"), 0) << simLastError();
  auto array = At("HBA1/M");
  Invoke(array.get(), "GUI_Status");
  ASSERT_THAT(Links(array.get()), ElementsAre("disk1", "disk2"));
  simResetCallCounts();
  // Handles that do not name a disk below this array are refused before the library is asked,
  // and so are command codes without a mode.
  const std::string refused[] = {
      "512",
      "512@",
      "512@0",
      "512@abc",
      "512@" + HandleAddress(At("HBA1/ch1/slave").get()),  // the same disk, under its channel
      "512@" + HandleAddress(At("HBA1/N/disk3").get()),    // a disk of another array
      "512@" + HandleAddress(array.get()),
      "0",
      "abc",
      "300",
      "-256"};
  for (const std::string& argument : refused) {
    EXPECT_EQ(Invoke(array.get(), "RebuildArray", argument), S_OK);
    EXPECT_EQ(Calls("raArrayRebuildDisk"), 0) << argument;
  }
  EXPECT_EQ(Get(array.get(), "Status"), "-2147483647");

  Invoke(array.get(), "RebuildArray", "512@" + HandleAddress(At("HBA1/M/disk2").get()));
  EXPECT_EQ(Calls("raArrayRebuildDisk"), 1);
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "1");
  EXPECT_EQ(Get(array.get(), "Status"), "512");
  // Member 1 is rebuilt in place: disk 1 is the target.
  At("HBA1/ch1/slave")->refresh();
  EXPECT_EQ(Get(At("HBA1/ch1/slave").get(), "Rebuild"), "1");
}

TEST_F(ArrayNodeTest, PauseStopAndResumeSetTheThrottleAtOnce) {
  Load(kMirrors);
  Build();
  ASSERT_EQ(simApply(R"({"disk":1,"do":"pull"})"), 0) << simLastError();
  ASSERT_EQ(simApply(R"({"disk":1,"do":"insert"})"), 0) << simLastError();
  auto array = At("HBA1/M");
  Invoke(array.get(), "RebuildArray", "256");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "1");
  EXPECT_EQ(Get(array.get(), "Status"), "512");

  Invoke(array.get(), "RebuildArray", "1024");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "4");
  // The next read of "Status" shows what the library reports.
  Report(1, 1, 10);
  EXPECT_EQ(Get(array.get(), "Status"), "512");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "1");
  simClearFaults();
  EXPECT_EQ(Get(array.get(), "Status"), "512");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "4") << "paused in the library";

  Invoke(array.get(), "RebuildArray", "256");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "1");
  Invoke(array.get(), "RebuildArray", "2048");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "2");
  EXPECT_EQ(Get(array.get(), "Status"), "-2147483647");
  // Refused by the library (nothing to pause): the throttle stays.
  Invoke(array.get(), "RebuildArray", "1024");
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "2");

  // Synchronisation of the other mirror.
  auto other = At("HBA1/N");
  const std::pair<const char*, const char*> steps[] = {
      {"256", "1"}, {"1024", "4"}, {"256", "1"}, {"2048", "2"}, {"512", "1"}};
  for (const auto& [code, throttle] : steps) {
    Invoke(other.get(), "SyncArray", code);
    EXPECT_EQ(Get(other.get(), "ThrottleStatus"), throttle) << "SyncArray " << code;
  }
  EXPECT_EQ(Get(other.get(), "Status"), "256");
  simResetCallCounts();
  Invoke(other.get(), "SyncArray", "0");
  Invoke(other.get(), "SyncArray", "none");
  EXPECT_EQ(Calls("raArraySynchronize"), 0);
}

TEST_F(ArrayNodeTest, RenameKeepsTheLinkAndTakesTextVerbatim) {
  Load(kArrays);
  Build();
  auto array = At("HBA1/M");
  auto sink = RecordingSink::Create();
  sink->AdviseOn(array.get());
  Invoke(array.get(), "rename", "N/A");
  EXPECT_EQ(Shown(array.get(), "name"), "");
  array->refresh();
  EXPECT_EQ(Shown(array.get(), "name"), "") << "the library has the empty name too";
  Invoke(array.get(), "rename", "50%s of %d");
  array->refresh();
  EXPECT_EQ(Get(array.get(), "name"), "50%s of %d");
  EXPECT_THAT(Links(At("HBA1").get()), Contains("M"));
  EXPECT_EQ(std::count(sink->codes.begin(), sink->codes.end(), 0x2002u), 2);
}

TEST_F(ArrayNodeTest, UnnamedArraysAreNumberedAndTheLibraryKeepsTheName) {
  Load(kArrays);
  Build();
  EXPECT_THAT(Arrays(At("HBA1")), ElementsAre("M", "S", "Ary3", "P"));
  EXPECT_THAT(Arrays(At("HBA2")), ElementsAre("SM", "Ary2"));
  for (const char* path : {"HBA1/Ary3", "HBA2/Ary2"}) {
    auto array = At(path);
    array->refresh();
    EXPECT_EQ(Get(array.get(), "name"), std::string(path).substr(5)) << path;
  }
}

TEST_F(ArrayNodeTest, ArraysAppearAndVanishWithTheLibrarysList) {
  Load(kArrays);
  Build();
  auto controller = At("HBA1");
  ComPtr<IRiver> held = At("HBA1/S");
  auto kept = RecordingSink::Create();
  kept->AdviseOn(At("HBA1/M").get());
  const std::size_t before = ArrayNodeList().size();

  // Another program changes the configuration: S goes, an unnamed striping array comes.
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(raDeleteArray(1), 0);
  const std::uint8_t disks[] = {2, 3};
  ASSERT_EQ(raCreateArray("", 0, 2, disks, 0), 0);
  controller->refresh();
  // The new array is second in the library's list.
  EXPECT_THAT(Arrays(controller), ElementsAre("M", "Ary3", "P", "Ary2"));
  EXPECT_EQ(Get(At("HBA1/Ary2").get(), "RAID_Mode"), "STRIPING");
  EXPECT_THAT(Links(At("HBA1/Ary2").get()), ElementsAre("disk3", "disk4"));
  EXPECT_THAT(kept->codes, ElementsAre(0x2002u)) << "found again: refreshed and notified";
  // The agent's reference keeps the removed node alive, outside the tree.
  EXPECT_EQ(Get(held.get(), "name"), "S");
  EXPECT_EQ(ArrayNodeList().size(), before + 1);
  held.reset();
  EXPECT_EQ(ArrayNodeList().size(), before);

  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(raDeleteArray(1), 0);
  controller->refresh();
  EXPECT_THAT(Arrays(controller), ElementsAre("M", "Ary3", "P"));
}

TEST_F(ArrayNodeTest, ArraysFoundAgainAreReadUnderTheirNewNumber) {
  Load(R"({"controllers":[{"disks":[{"disk":0,"model":"D0"},{"disk":1,"model":"D1"},
    {"disk":2,"model":"D2"},{"disk":3,"model":"D3"},{"disk":4,"model":"D4"}],
    "arrays":[{"name":"X","mode":"mirroring","members":[0,1],"logical":0,"physical":1},
              {"name":"Y","mode":"striping","members":[2,3],"logical":1,"physical":2}]}]})");
  Build();
  ComPtr<IRiver> y = At("HBA1/Y");
  // The library renumbers: Y is now logical 0, and a new array Z takes logical 1.
  Load(R"({"controllers":[{"disks":[{"disk":0,"model":"D0"},{"disk":1,"model":"D1"},
    {"disk":2,"model":"D2"},{"disk":3,"model":"D3"},{"disk":4,"model":"D4"}],
    "arrays":[{"name":"Y","mode":"striping","members":[2,3],"logical":0,"physical":2},
              {"name":"Z","mode":"spanning","members":[4],"logical":1,"physical":3}]}]})");
  ResetSelection();  // the new model has no controller open
  At("HBA1")->refresh();
  EXPECT_THAT(Arrays(At("HBA1")), ElementsAre("Y", "Z"));
  EXPECT_EQ(At("HBA1/Y").get(), y.get());
  EXPECT_EQ(Shown(y.get(), "name"), "Y");
  EXPECT_EQ(Shown(y.get(), "RAID_Mode"), "STRIPING");
  EXPECT_EQ(Get(At("HBA1/Z").get(), "RAID_Mode"), "SPANNING");
}

TEST_F(ArrayNodeTest, ArraysOfTheSecondControllerReadFromIt) {
  Load(kArrays);
  Build();
  auto second = At("HBA2/SM");
  auto first = At("HBA1/M");
  EXPECT_THAT(Links(second.get()), ElementsAre("disk1", "disk2", "disk3", "disk4"));
  EXPECT_EQ(Get(At("HBA2/SM/disk3").get(), "model"), "B2");
  simResetCallCounts();
  Get(second.get(), "Status");
  Get(first.get(), "Status");
  Get(second.get(), "Status");
  Invoke(second.get(), "rename", "Second");
  Invoke(second.get(), "GUI_Status");
  EXPECT_EQ(Calls("raGetArrayStatus", 1), 3);
  EXPECT_EQ(Calls("raGetArrayStatus", 0), 1);
  EXPECT_EQ(Calls("raRenameArray", 1), 1);
  EXPECT_EQ(Calls("raRenameArray", 0), 0);
  EXPECT_EQ(Calls("raEnumerateDisksInArray", 0), 0);
  second->refresh();
  EXPECT_EQ(Get(second.get(), "name"), "Second");
  EXPECT_EQ(Get(first.get(), "name"), "M");
}

TEST_F(ArrayNodeTest, MembersFollowTheLibraryOnStatusActionAndPollingPass) {
  Load(kMirrors);
  Build();
  auto array = At("HBA1/M");
  ComPtr<IRiver> leaving = At("HBA1/M/disk2");
  // Disk 1 fails; the member is replaced by disk 2 (N gives up disk 2: both are done through
  // the library).
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(raDeleteArray(1), 0);
  ASSERT_EQ(simApply(R"({"disk":1,"do":"fail"})"), 0) << simLastError();
  ASSERT_EQ(raArrayRebuildDisk(0, 0, 5), 0);
  array->refresh();
  EXPECT_THAT(Links(array.get()), ElementsAre("disk1", "disk2")) << "a refresh reads no members";
  Invoke(array.get(), "GUI_Status");
  EXPECT_THAT(Links(array.get()), ElementsAre("disk1", "disk3"));
  EXPECT_EQ(Get(At("HBA1/M/disk3").get(), "Rebuild"), "1");

  // The rebuild completes; the polling pass sees the update and refreshes the array.
  ASSERT_EQ(simApply(R"({"disk":1,"do":"pull"})"), 0) << simLastError();
  simAdvanceClock(100000);
  auto sink = RecordingSink::Create();
  sink->AdviseOn(array.get());
  PollTimerProc(nullptr, 0, 0, 0);
  EXPECT_THAT(sink->codes, Contains(0x2002u));
  EXPECT_EQ(Shown(array.get(), "Status"), "0");
  EXPECT_EQ(Get(At("HBA1/M/disk3").get(), "Rebuild"), "0");
}

TEST_F(ArrayNodeTest, FailingSelectionChangesNothing) {
  Load(kArrays);
  Build();
  auto array = At("HBA1/M");
  const std::vector<std::string> before = Dir(array.get());
  const std::vector<std::string> links = Links(At("HBA1").get());
  ASSERT_EQ(simApply(R"({"disk":1,"do":"fail"})"), 0) << simLastError();
  auto sink = RecordingSink::Create();
  sink->AdviseOn(array.get());
  ResetSelection();
  simFailCall("raInitialize", -1, 0, 9);
  simResetCallCounts();
  Get(array.get(), "Status");
  Invoke(array.get(), "rename", "X");
  Invoke(array.get(), "RebuildArray", "256");
  Invoke(array.get(), "SyncArray", "256");
  Invoke(array.get(), "GUI_Status");
  array->refresh();
  At("HBA1")->refresh();
  EXPECT_EQ(Dir(array.get()), before);
  EXPECT_EQ(Links(At("HBA1").get()), links);
  EXPECT_TRUE(sink->codes.empty());
  EXPECT_EQ(Calls("raGetArrayStatus") + Calls("raRenameArray") + Calls("raArrayRebuildDisk") +
                Calls("raArraySynchronize") + Calls("raEnumerateAllArrays"),
            0);
  simClearFaults();
  EXPECT_EQ(Get(array.get(), "Status"), "-2147483647");
}

TEST_F(ArrayNodeTest, FailingLibraryCallsKeepWhatWasShown) {
  Load(kArrays);
  Build();
  auto controller = At("HBA1");
  auto array = At("HBA1/M");
  const std::vector<std::string> before = Dir(array.get());
  ASSERT_EQ(simApply(R"({"disk":1,"do":"fail"})"), 0) << simLastError();
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(raRenameArray(0, "Renamed"), 0);

  // Without the description nothing is updated; without the information record the name,
  // geometry and size stand.
  simFailCall("raGetArrayDescription", -1, 0, 9);
  array->refresh();
  EXPECT_EQ(Dir(array.get()), before);
  simClearFaults();
  simFailCall("raGetArrayInfo", -1, 0, 9);
  array->refresh();
  EXPECT_EQ(Shown(array.get(), "name"), "M");
  EXPECT_EQ(Shown(array.get(), "Status"), "-2147483647");
  EXPECT_EQ(Entry(array.get(), "Size"), "Size@pr-@1.000 GB (1024 MB)");
  // Nor does a failing status read change the status.
  simClearFaults();
  simFailCall("raGetArrayStatus", -1, 0, 9);
  ASSERT_EQ(simApply(R"({"disk":0,"do":"fail"})"), 0) << simLastError();
  EXPECT_EQ(Get(array.get(), "Status"), "-2147483647");

  // Lists that cannot be read leave the arrays and their members where they are.
  simClearFaults();
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(raDeleteArray(1), 0);
  simFailCall("raEnumerateAllArrays", -1, 0, 9);
  simFailCall("raEnumerateDisksInArray", -1, 0, 9);
  controller->refresh();
  Invoke(array.get(), "GUI_Status");
  EXPECT_THAT(Links(controller.get()), Contains("S"));
  EXPECT_THAT(Links(array.get()), ElementsAre("disk1", "disk2"));
  simClearFaults();
  controller->refresh();
  EXPECT_THAT(Links(controller.get()), Not(Contains("S")));
}

TEST_F(ArrayNodeTest, ANewArrayWithoutInformationStillListsItsEntriesInOrder) {
  Load(kMirrors);
  Build();
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(raDeleteArray(1), 0);
  const std::uint8_t disks[] = {2, 3};
  ASSERT_EQ(raCreateArray("New", 1, 2, disks, 0), 0);
  simFailCall("raGetArrayInfo", -1, 0, 9);
  At("HBA1")->refresh();
  // Its name unknown, the array is numbered by its place in the list.
  auto array = At("HBA1/Ary2");
  ASSERT_TRUE(array);
  EXPECT_THAT(Names(array.get()),
              ElementsAre("disk3", "disk4", "handle", "RAID_Mode", "Cyls", "Heads", "Sectors",
                          "name", "Block Size", "Size", "Status", "ThrottleStatus", "rename",
                          "RebuildArray", "SyncArray", "ForceIT", "GUI_Status"));
  EXPECT_EQ(Shown(array.get(), "Cyls"), "0");
  EXPECT_EQ(Shown(array.get(), "Size"), "0 Bytes");
  simClearFaults();
  array->refresh();
  EXPECT_EQ(Shown(array.get(), "name"), "Ary2") << "the library took the number as its name";
  EXPECT_NE(Shown(array.get(), "Cyls"), "0");
  EXPECT_NE(Shown(array.get(), "Size"), "0 Bytes");
}

TEST_F(ArrayNodeTest, AbsurdCountsAndUnterminatedNamesStayInTheirRoom) {
  Load(kArrays);
  Build();
  auto controller = At("HBA1");
  const std::vector<std::string> links = Links(controller.get());
  simMisbehave("raEnumerateAllArrays", -1, 0, SIM_MISBEHAVE_COUNT, 0, 1000000);
  simMisbehave("raEnumerateDisksInArray", -1, 0, SIM_MISBEHAVE_COUNT, 0, -1);
  controller->refresh();
  EXPECT_EQ(Links(controller.get()), links) << "the repeated numbers name the same arrays";
  auto array = At("HBA1/M");
  Invoke(array.get(), "GUI_Status");
  EXPECT_THAT(Links(array.get()), ElementsAre("disk1", "disk2"));
  simClearFaults();

  simMisbehave("raGetArrayInfo", -1, 0, SIM_MISBEHAVE_UNTERMINATED, 0, 0);
  array->refresh();
  EXPECT_EQ(Get(array.get(), "name"), "M" + std::string(63, ' '));
  // A new array's name from such a record is cut the same way.
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(raDeleteArray(1), 0);
  const std::uint8_t disks[] = {2, 3};
  ASSERT_EQ(raCreateArray("T", 0, 2, disks, 0), 0);
  controller->refresh();
  EXPECT_THAT(Links(controller.get()), Contains("T" + std::string(63, ' ')));
}

}  // namespace
}  // namespace swkv::test
