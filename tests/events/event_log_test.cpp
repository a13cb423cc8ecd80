// The controller node's IEventLog as the agent uses it: events fetched by polling passes, read
// one record at a time, counted, and the controller's log cleared.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/events/pass_fixture.h"

namespace swkv::test {
namespace {

using EventLog = PassTest;

TEST_F(EventLog, ABatchIsCountedAndReadInOrderThenReadsAreRefusedWithANullString) {
  ComPtr<IEventLog> log = StartLog(kOneArray);
  ASSERT_TRUE(log);
  EXPECT_EQ(NewCount(log.get()), 0u);
  EXPECT_EQ(Read(log.get()).status, S_FALSE);  // nothing decoded yet

  Queue(0, 8, 0, "Array 1 is critical");
  Queue(0, 10, 2, "Rebuild of Array 1 complete");
  Pass();
  EXPECT_EQ(NewCount(log.get()), 2u);
  EXPECT_EQ(Next(log.get()), "522@T@3@Ary. Critical@Array 1 is critical");
  EXPECT_EQ(NewCount(log.get()), 1u);
  EXPECT_EQ(Next(log.get()), "523@T@1@Rebuild Complete@Rebuild of Array 1 complete");
  EXPECT_EQ(NewCount(log.get()), 0u);

  // Past the batch: no record, a null string, and the count stays at 0.
  ReadResult past = Read(log.get());
  EXPECT_EQ(past.status, S_FALSE);
  EXPECT_TRUE(past.null);
  EXPECT_EQ(NewCount(log.get()), 0u);

  // A pass that fetches nothing leaves the log as it was.
  Pass();
  EXPECT_EQ(NewCount(log.get()), 0u);
  EXPECT_EQ(Read(log.get()).status, S_FALSE);
}

TEST_F(EventLog, ALaterBatchReplacesTheCountAndRestartsAtSlotZeroKeepingLaterSlots) {
  ComPtr<IEventLog> log = StartLog(kOneArray);
  Queue(0, 1, 0, "Disk 2 failed");
  Queue(0, 8, 0, "Array 1 is critical");
  Queue(0, 4, 2, "Rebuild of Array 1 started");
  Pass();
  EXPECT_EQ(NewCount(log.get()), 3u);
  EXPECT_EQ(Next(log.get()), "256@T@3@Drv. Fail@Disk 2 failed");

  // Two records of the first batch were never read; the new batch does not count them.
  Queue(0, 2, 2, "Disk 2 plugged in");
  Pass();
  EXPECT_EQ(NewCount(log.get()), 1u);
  const EventLogState& state = ControllerOf(0)->event_log();
  EXPECT_EQ(state.readPosition, 0u);
  EXPECT_EQ(state.slots[1].text, "Array 1 is critical");
  EXPECT_EQ(state.slots[2].text, "Rebuild of Array 1 started");

  EXPECT_EQ(Next(log.get()), "257@T@1@Dsk. PLUGIN@Disk 2 plugged in");
  // Slots 1 and 2 belong to the earlier batch and are not handed out again.
  EXPECT_EQ(Read(log.get()).status, S_FALSE);
  EXPECT_EQ(NewCount(log.get()), 0u);
}

TEST_F(EventLog, UnknownCodesAndSeverityClassesKeepWhatTheSlotHeld) {
  ComPtr<IEventLog> log = StartLog(kOneArray);
  // A fresh slot has category and severity 0 and an empty name.
  Queue(0, 29, 7, "strange");
  Pass();
  EXPECT_EQ(Next(log.get()), "0@T@0@@strange");

  Queue(0, 8, 0, "critical");
  Queue(0, 9, 1, "down");
  Queue(0, 4, 2, "rebuilding");
  Pass();
  ASSERT_EQ(NewCount(log.get()), 3u);

  // Codes outside -1..28 keep the slot's category and name but take its text and severity;
  // a severity class outside 0..2 keeps the slot's severity but takes the rest.
  Queue(0, 29, 1, "beyond the table");
  Queue(0, -2, 2, "below the table");
  Queue(0, 11, 3, "unknown class");
  Pass();
  EXPECT_EQ(NewCount(log.get()), 3u);
  EXPECT_EQ(Next(log.get()), "522@T@2@Ary. Critical@beyond the table");
  EXPECT_EQ(Next(log.get()), "521@T@1@Ary. Down@below the table");
  EXPECT_EQ(Next(log.get()), "524@T@1@Sync. Complete@unknown class");
}

TEST_F(EventLog, EveryKnownCodeHasItsCategoryAndName) {
  ComPtr<IEventLog> log = StartLog(kOneArray);
  const std::vector<std::string> expected = {
      "0@T@3@Unknown Event@e",          "0@T@3@ECC Error@e",
      "256@T@3@Drv. Fail@e",            "257@T@3@Dsk. PLUGIN@e",
      "512@T@3@Ary. Bad Sector@e",      "513@T@3@Ary. Rebuild@e",
      "516@T@3@Array Sync.@e",          "0@T@3@Array Convert@e",
      "518@T@3@Retry Task.@e",          "522@T@3@Ary. Critical@e",
      "521@T@3@Ary. Down@e",            "523@T@3@Rebuild Complete@e",
      "524@T@3@Sync. Complete@e",       "0@T@3@Convert Complete@e",
      "525@T@3@Ary. Disk Error@e",      "258@T@3@Reserved Sector Err.@e",
      "515@T@3@Rebuild Stopped@e",      "517@T@3@Sync. Stopped@e",
      "0@T@3@Convert Stopped@e",        "0@T@3@Sync. Compare Error@e",
      "0@T@3@SMART Error@e",            "0@T@3@Swap Power Down@e",
      "0@T@3@Swap Power Up@e",          "0@T@3@Bad Swap@e",
      "526@T@3@Temperture Error@e",     "527@T@3@FAN STOPPED@e",
      "529@T@3@Voltage Error@e",        "528@T@3@Voltage Error@e",
      "519@T@3@Array Create@e",         "520@T@3@Array Delete@e",
  };
  // The library hands out 20 events per call: codes -1..18, then 19..28.
  std::vector<std::string> records;
  for (int code = -1; code <= 28; ++code) Queue(0, code, 0, "e");
  for (int pass = 0; pass < 2; ++pass) {
    Pass();
    for (ULONG n = NewCount(log.get()); n > 0; --n) records.push_back(Next(log.get()));
  }
  EXPECT_EQ(records, expected);
}

TEST_F(EventLog, AtMostTwentyRecordsAreTakenWhateverCountTheLibraryReports) {
  ComPtr<IEventLog> log = StartLog(kOneArray);
  ASSERT_EQ(simMisbehave("raGetEvents", 0, 1, SIM_MISBEHAVE_COUNT, 0, 25), 0);
  Pass();
  ASSERT_EQ(NewCount(log.get()), 20u);
  for (int k = 0; k < 20; ++k) {
    ReadResult read = Read(log.get());
    ASSERT_EQ(read.status, S_OK) << k;
    EXPECT_THAT(read.record, ::testing::EndsWith("@filler record " + std::to_string(k)));
  }
  EXPECT_EQ(Read(log.get()).status, S_FALSE);

  // A negative count is no batch: the log stays as it was.
  Queue(0, 8, 0, "lost with the bad count");
  ASSERT_EQ(simMisbehave("raGetEvents", 0, 1, SIM_MISBEHAVE_COUNT, 0, -3), 0);
  Pass();
  EXPECT_EQ(NewCount(log.get()), 0u);
}

TEST_F(EventLog, EventTextsAreTakenAsTheyAreAndEndWithTheRecord) {
  ComPtr<IEventLog> log = StartLog(kOneArray);
  // Conversion marks in a text are text.
  Queue(0, 5, 2, "sync at 100% %s %n");
  Pass();
  EXPECT_EQ(Next(log.get()), "516@T@1@Array Sync.@sync at 100% %s %n");

  // A text that fills its 128 bytes without a terminator ends with the record, though the next
  // record's code follows it.
  Queue(0, 9, 0, "x");
  Queue(0, 9, 0, "y");
  ASSERT_EQ(simMisbehave("raGetEvents", 0, 1, SIM_MISBEHAVE_UNTERMINATED, 0, 0), 0);
  Pass();
  for (const char* text : {"x", "y"})
    EXPECT_EQ(Next(log.get()), "521@T@3@Ary. Down@" + (text + std::string(127, ' ')));
}

TEST_F(EventLog, AFailingFetchDecodesNothing) {
  ComPtr<IEventLog> log = StartLog(kOneArray);
  Queue(0, 8, 0, "Array 1 is critical");
  ASSERT_EQ(simFailCall("raGetEvents", 0, 0, 9), 0);
  Pass();
  EXPECT_EQ(NewCount(log.get()), 0u);
  EXPECT_EQ(Read(log.get()).status, S_FALSE);

  // The library kept the event; the next good fetch brings it.
  simClearFaults();
  Pass();
  EXPECT_EQ(NewCount(log.get()), 1u);
  EXPECT_EQ(Next(log.get()), "522@T@3@Ary. Critical@Array 1 is critical");
}

TEST_F(EventLog, AReadThatCannotSelectItsControllerFailsAndChangesNothing) {
  Start(kTwoControllers);
  ComPtr<IEventLog> first = Log("HBA1");
  Queue(0, 8, 0, "Array 1 is critical");
  Pass();
  ASSERT_EQ(NewCount(first.get()), 1u);
  // Discovery left the second controller current: reading the first one's log opens it again.
  ASSERT_EQ(CurrentController(), 1);
  ASSERT_EQ(simFailCall("raInitialize", -1, 0, 9), 0);
  ReadResult failed = Read(first.get());
  EXPECT_EQ(failed.status, E_FAIL);
  EXPECT_TRUE(failed.null);
  EXPECT_EQ(NewCount(first.get()), 1u);
  simClearFaults();
  EXPECT_EQ(Next(first.get()), "522@T@3@Ary. Critical@Array 1 is critical");
}

TEST_F(EventLog, NullOutPointersAreRefusedAndTheSizeIsNeverWritten) {
  ComPtr<IEventLog> log = StartLog(kOneArray);
  Queue(0, 8, 0, "Array 1 is critical");
  Pass();
  EXPECT_EQ(log->GetNewCount(nullptr), E_POINTER);
  ULONG size = 77;
  EXPECT_EQ(log->ReadEventLog(nullptr, &size), E_POINTER);
  EXPECT_EQ(NewCount(log.get()), 1u);

  BSTR record = nullptr;
  ASSERT_EQ(log->ReadEventLog(&record, &size), S_OK);
  UniqueBstr owned(record);
  EXPECT_EQ(WithoutTime(Narrow(owned.get())), "522@T@3@Ary. Critical@Array 1 is critical");
  EXPECT_EQ(size, 77u);
}

TEST_F(EventLog, ClearLogClearsTheSelectedControllersLogAndLeavesTheCount) {
  Start(kTwoControllers);
  ComPtr<IEventLog> first = Log("HBA1");
  ComPtr<IEventLog> second = Log("HBA2");
  Queue(0, 8, 0, "on the first");
  Pass();
  ASSERT_EQ(NewCount(first.get()), 1u);

  // The second controller is the one selected (discovery ended there, the pass went back to
  // it): clearing through the first controller's node clears the second's log.
  ASSERT_EQ(simOpenController(), 1);
  Queue(0, 9, 0, "queued on the first");
  Queue(1, 24, 0, "queued on the second");
  simResetCallCounts();
  EXPECT_EQ(first->ClearLog(), S_OK);
  EXPECT_EQ(Calls("raClearLog", 1), 1);
  EXPECT_EQ(Calls("raClearLog", 0), 0);
  EXPECT_EQ(Calls("raInitialize"), 0);
  EXPECT_EQ(NewCount(first.get()), 1u);

  // Only the first controller's event is left for the next pass.
  Pass();
  EXPECT_EQ(NewCount(first.get()), 1u);
  EXPECT_EQ(Next(second.get()), "521@T@3@Ary. Down@queued on the first");
  EXPECT_EQ(Next(first.get()), "521@T@3@Ary. Down@queued on the first");

  // That read selected the first controller: now the second node's ClearLog clears the first's.
  Queue(0, 9, 0, "cleared");
  Queue(1, 24, 0, "kept");
  simResetCallCounts();
  EXPECT_EQ(second->ClearLog(), S_OK);
  EXPECT_EQ(Calls("raClearLog", 0), 1);
  EXPECT_EQ(Calls("raClearLog", 1), 0);
  EXPECT_EQ(NewCount(second.get()), 0u);
  Pass();
  EXPECT_EQ(Next(first.get()), "527@T@3@FAN STOPPED@kept");
}

TEST_F(EventLog, TheControllerNodesIdentityIsItsEventLogAndItHasNoDispatch) {
  ComPtr<IRiver> river = Start(kOneArray, "HBA1");
  ASSERT_TRUE(river);
  ComPtr<IUnknown> identity = river.As<IUnknown>(IID_IUnknown);
  ComPtr<IEventLog> log = river.As<IEventLog>(IID_IEventLog);
  ASSERT_TRUE(identity);
  ASSERT_TRUE(log);
  EXPECT_EQ(identity.get(), static_cast<IUnknown*>(log.get()));
  EXPECT_NE(static_cast<void*>(identity.get()), static_cast<void*>(river.get()));

  // The link from the root hands out the identity too.
  UniqueBstr name = UniqueBstr::FromAnsi("HBA1");
  ComPtr<IUnknown> linked;
  ASSERT_EQ(root->cd(name.get(), linked.put()), S_OK);
  EXPECT_EQ(linked.get(), identity.get());

  // Every part answers the same table.
  ComPtr<IRiver> riverFromLog = log.As<IRiver>(IID_IRiver);
  EXPECT_EQ(riverFromLog.get(), river.get());
  ComPtr<IConnectionPointContainer> points =
      log.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  EXPECT_TRUE(points);
  EXPECT_EQ(points.As<IUnknown>(IID_IUnknown).get(), identity.get());
  void* dispatch = reinterpret_cast<void*>(1);
  EXPECT_EQ(river->QueryInterface(IID_IDispatch, &dispatch), E_NOINTERFACE);
  EXPECT_EQ(dispatch, nullptr);
  EXPECT_EQ(log->QueryInterface(IID_IDispatch, &dispatch), E_NOINTERFACE);

  // One count for both parts.
  const ULONG afterLog = log->AddRef();
  EXPECT_EQ(river->AddRef(), afterLog + 1);
  EXPECT_EQ(log->Release(), afterLog);
  EXPECT_EQ(river->Release(), afterLog - 1);
}

}  // namespace
}  // namespace swkv::test
