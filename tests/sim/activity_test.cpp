// Rebuilds, synchronisations and conversions: how they start, progress with the clock, pause,
// resume, stop and finish, and what failing disks do to them.
#include "sim_fixture.h"

namespace swkv::test {
namespace {

// Most cases start from a mirror of disks 0 and 1 (logical 0) on a controller of six free disks;
// activities take 100 s.
class ActivityTest : public SimTest {};

TEST_F(ActivityTest, FailedMemberIsRebuiltOntoASpareWhenHotSparesAreOn) {
  Load(Scenario{.hotSpares = true, .arrays = kMirror});
  Apply(R"({"disk":1,"do":"fail"})");

  std::vector<RaEventRecord> events = Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].code, 1);  // the disk failed
  EXPECT_EQ(events[0].severityClass, 0u);
  EXPECT_EQ(events[1].code, 8);  // the array is critical
  EXPECT_EQ(events[2].code, 4);  // a rebuild started
  EXPECT_EQ(NeedUpdate(), 1);
  EXPECT_EQ(Status(0).state, kCritical);
  EXPECT_EQ(Status(0).activity, kSpareRebuilding);
  // The lowest free disk took the failed one's place; the failed disk left the array.
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 2}));
  EXPECT_EQ(Disk(2).kind, kRebuildKind);
  EXPECT_EQ(Disk(2).array, 0u);
  EXPECT_EQ(Disk(0).kind, kNoActivity);
  EXPECT_EQ(Disk(1).state, kFailed);
  EXPECT_EQ(Disk(1).array, kNoArray);

  Advance(50);
  EXPECT_EQ(Status(0).progress, 50);
  EXPECT_TRUE(EventCodes().empty());
  Advance(50);
  EXPECT_EQ(Status(0).state, kNormal);
  EXPECT_EQ(Status(0).activity, kIdle);
  EXPECT_EQ(Disk(2).kind, kNoActivity);
  EXPECT_EQ(EventCodes(), std::vector<int32_t>{10});
  EXPECT_EQ(NeedUpdate(), 1);
}

TEST_F(ActivityTest, RebuildPausesResumesStopsAndStartsAgain) {
  Load(Scenario{.arrays = kMirror});
  Apply(R"({"disk":1,"do":"pull"})");
  EXPECT_EQ(Status(0).state, kCritical);
  EXPECT_EQ(Status(0).activity, kIdle) << "no spare rebuild with hot spares off";
  EXPECT_EQ(raArrayRebuildDisk(0, 0, kPause), SIM_E_STATE) << "nothing to pause";

  ASSERT_EQ(raArrayRebuildDisk(0, 0, kStartOrResume), kOk);
  EXPECT_EQ(Status(0).activity, kRebuilding);
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 2}));
  Advance(30);
  ASSERT_EQ(raArrayRebuildDisk(0, 0, kPause), kOk);
  EXPECT_EQ(Status(0).activity, kRebuildPaused);
  Advance(500);
  EXPECT_EQ(Status(0).progress, 30) << "a paused rebuild does not progress";
  ASSERT_EQ(raArrayRebuildDisk(0, 0, kStartOrResume), kOk);
  Advance(20);
  EXPECT_EQ(Status(0).progress, 50);

  EventCodes();
  ASSERT_EQ(raArrayRebuildDisk(0, 0, kStop), kOk);
  EXPECT_EQ(EventCodes(), std::vector<int32_t>{15});
  EXPECT_EQ(Status(0).activity, kIdle);
  EXPECT_EQ(Status(0).state, kCritical);
  EXPECT_EQ(Disk(2).kind, kRebuildKind) << "the target stays marked while the array is idle";
  EXPECT_EQ(raArrayRebuildDisk(0, 0, kStop), SIM_E_STATE);

  ASSERT_EQ(raArrayRebuildDisk(0, 0, kStartOrResume), kOk);
  EXPECT_EQ(Status(0).progress, 0) << "a stopped rebuild starts over";
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 2})) << "onto the same target";
  Advance(100);
  EXPECT_EQ(Status(0).state, kNormal);
}

TEST_F(ActivityTest, RebuildInPlaceNeedsAFailedOrDroppedMember) {
  Load(Scenario{.arrays = kMirror});
  EXPECT_EQ(raArrayRebuildDisk(0, 0, kStart), SIM_E_STATE) << "a healthy array";
  Apply(R"({"disk":1,"do":"fail"})");
  EXPECT_EQ(raArrayRebuildDisk(0, 2, kStart), SIM_E_ARGUMENT) << "no third member";
  EXPECT_EQ(raArrayRebuildDisk(0, 0, kStart), SIM_E_STATE) << "member 0 is healthy";
  EXPECT_EQ(raArrayRebuildDisk(0, 1, 7), SIM_E_ARGUMENT) << "unknown command mode";

  ASSERT_EQ(raArrayRebuildDisk(0, 1, kStart), kOk);
  EXPECT_EQ(Disk(1).state, kOnline);
  EXPECT_EQ(Disk(1).kind, kRebuildKind);
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 1}));
  Advance(100);
  EXPECT_EQ(Status(0).state, kNormal);

  ASSERT_EQ(Create("S", kStriping, {2, 3}), kOk);
  Apply(R"({"disk":3,"do":"fail"})");
  EXPECT_EQ(Status(1).state, kDown) << "a stripe loses its data with a member";
  EXPECT_EQ(raArrayRebuildDisk(1, 1, kStart), SIM_E_STATE) << "nothing to rebuild from";
}

TEST_F(ActivityTest, SynchronisationRunsOnHealthyRedundantArraysOnly) {
  Load(Scenario{.arrays = kMirror});
  ASSERT_EQ(Create("S", kStriping, {2, 3}), kOk);
  EventCodes();
  EXPECT_EQ(raArraySynchronize(1, kStartOrResume), SIM_E_STATE) << "a stripe has nothing to sync";
  EXPECT_EQ(raArraySynchronize(0, 9), SIM_E_ARGUMENT);

  ASSERT_EQ(raArraySynchronize(0, kStart), kOk);
  EXPECT_EQ(Status(0).activity, kSyncing);
  EXPECT_EQ(Disk(0).kind, kSyncKind);
  EXPECT_EQ(Disk(1).kind, kSyncKind);
  EXPECT_EQ(raArrayRebuildDisk(0, 0, kStartOrResume), SIM_E_STATE) << "busy";
  Advance(40);
  ASSERT_EQ(raArraySynchronize(0, kPause), kOk);
  EXPECT_EQ(Status(0).activity, kSyncPaused);
  ASSERT_EQ(raArraySynchronize(0, kStartOrResume), kOk);
  Advance(60);
  EXPECT_EQ(Status(0).activity, kIdle);
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{5, 11}));

  Apply(R"({"disk":1,"do":"fail"})");
  EXPECT_EQ(raArraySynchronize(0, kStart), SIM_E_STATE) << "a critical array";
}

TEST_F(ActivityTest, MemberLossStopsWhatTheArrayWasDoing) {
  Load(Scenario{.arrays = kMirror});
  ASSERT_EQ(raArraySynchronize(0, kStart), kOk);
  EventCodes();
  Apply(R"({"disk":0,"do":"fail"})");
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{1, 16, 8}));
  EXPECT_EQ(Status(0).activity, kIdle);

  // A second loss during the rebuild: the mirror is down and the rebuild ends.
  ASSERT_EQ(raArrayRebuildDisk(0, 0, kStartOrResume), kOk);
  EventCodes();
  Apply(R"({"disk":1,"do":"pull"})");
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{20, 15, 9}));
  EXPECT_EQ(Status(0).state, kDown);
  // Disk 2 replaced the failed disk 0, which left the array; the pulled disk 1 is not listed.
  EXPECT_EQ(Members(0), std::vector<uint32_t>{2});
}

TEST_F(ActivityTest, ConversionChangesTheLayoutWhenItFinishes) {
  Load(Scenario{.arrays = kMirror});
  EventCodes();
  const uint32_t members[] = {0, 1, 2};
  ASSERT_EQ(raExpanConv(0, kDistParity, 3, members, 0, kStart), kOk);
  EXPECT_EQ(Status(0).activity, kConverting);
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 1, 2}));
  for (uint32_t d : {0u, 1u, 2u}) EXPECT_EQ(Disk(d).kind, kConvertKind);
  EXPECT_EQ(Mode(0), kMirroring) << "the old layout holds until the conversion is done";
  EXPECT_EQ(SizeBytes(0), 1000000ull * 512);

  Advance(60);
  ASSERT_EQ(raExpanConv(0, -1, 0, nullptr, 0, kPause), kOk);
  EXPECT_EQ(Status(0).activity, kConvertPaused);
  ASSERT_EQ(raExpanConv(0, -1, 0, nullptr, 0, kStartOrResume), kOk);
  Advance(40);
  EXPECT_EQ(Status(0).activity, kIdle);
  EXPECT_EQ(Mode(0), kDistParity);
  EXPECT_EQ(SizeBytes(0), 2000000ull * 512);
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{6, 12}));
}

TEST_F(ActivityTest, ConversionRefusesAnythingButGrowth) {
  Load(Scenario{.arrays = R"({"name":"S","mode":"striping","members":[0,1,2]})"});
  ASSERT_EQ(Create("Busy", kMirroring, {3, 4}), kOk);
  const uint32_t dropsOne[] = {0, 1};
  const uint32_t takesBusy[] = {0, 1, 2, 3};
  const uint32_t same[] = {0, 1, 2};
  const uint32_t nine[] = {0, 1, 2, 3, 4, 5, 6, 7, 0};
  EXPECT_EQ(raExpanConv(0, kStriping, 2, dropsOne, 0, kStart), SIM_E_ARGUMENT);
  EXPECT_EQ(raExpanConv(0, kStriping, 4, takesBusy, 0, kStart), SIM_E_STATE);
  EXPECT_EQ(raExpanConv(0, kDistParity, 3, same, 0, kStart), SIM_E_STATE) << "would shrink";
  EXPECT_EQ(raExpanConv(0, -1, 0, nullptr, 0, kStart), SIM_E_ARGUMENT) << "nothing changes";
  EXPECT_EQ(raExpanConv(0, -1, 9, nine, 0, kStart), SIM_E_ARGUMENT);
  EXPECT_EQ(raExpanConv(0, 7, 3, same, 0, kStart), SIM_E_ARGUMENT);
  EXPECT_EQ(raExpanConv(0, -1, 0, nullptr, 0, kStartOrResume), SIM_E_STATE) << "none to resume";
  // A new block size alone is a conversion too.
  ASSERT_EQ(raExpanConv(0, -1, 0, nullptr, 256, kStart), kOk);
  Advance(100);
  int32_t mode = 0, count = 0;
  uint32_t block = 0;
  ASSERT_EQ(raGetArrayDescription(0, &mode, &count, &block), kOk);
  EXPECT_EQ(block, 256u);
}

TEST_F(ActivityTest, StoppedConversionReturnsToTheOldLayout) {
  Load(Scenario{.arrays = kMirror});
  const uint32_t members[] = {0, 1, 2};
  ASSERT_EQ(raExpanConv(0, kDistParity, 3, members, 0, kStart), kOk);
  Advance(30);
  EventCodes();
  ASSERT_EQ(raExpanConv(0, -1, 0, nullptr, 0, kStop), kOk);
  EXPECT_EQ(EventCodes(), std::vector<int32_t>{17});
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 1}));
  EXPECT_EQ(Mode(0), kMirroring);
  EXPECT_EQ(Disk(2).state, kFree);
  EXPECT_EQ(Disk(2).array, kNoArray);

  // A member failing during a conversion also stops it.
  ASSERT_EQ(raExpanConv(0, kDistParity, 3, members, 0, kStart), kOk);
  EventCodes();
  Apply(R"({"disk":2,"do":"fail"})");
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{1, 17}));
  EXPECT_EQ(Status(0).state, kNormal) << "the failed disk had not joined yet";
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 1}));
}

TEST_F(ActivityTest, TimelineAndActivitiesHappenInTimeOrderWhenTheClockJumps) {
  // Disk 1 fails at 10 s and a spare rebuild onto disk 2 ends at 110 s; disk 0 fails at 150 s,
  // after that rebuild, so the mirror is critical again, not down.
  Load(Scenario{.disks = 3, .hotSpares = true, .arrays = kMirror,
                .timeline = R"({"at":150,"disk":0,"do":"fail"},{"at":10,"disk":1,"do":"fail"})"});
  Advance(9.999);
  EXPECT_TRUE(EventCodes().empty());
  Advance(1000);
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{1, 8, 4, 10, 1, 8}));
  EXPECT_EQ(Status(0).state, kCritical);
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 2}));
}

}  // namespace
}  // namespace swkv::test
