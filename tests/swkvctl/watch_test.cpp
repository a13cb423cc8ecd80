// Watching the default scenario's timeline go by on a stopped clock that swkvctl moves itself:
// the disk failure at 30 s with its events and notifications, the rebuild onto the spare with
// its progress, and a second watch that goes on where the first stopped.
#ifndef _WIN32

#include <gtest/gtest.h>

#include "tests/swkvctl/ctl_process.h"

namespace swkv::test {
namespace {

// The lines of kind ("event", "array", "changed") as they follow the time column.
std::vector<std::string> LinesOf(const std::string& out, const std::string& kind) {
  std::vector<std::string> found;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (line.size() > 19 && line.compare(10, kind.size() + 1, kind + " ") == 0)
      found.push_back(line.substr(19));
  return found;
}

TEST(SwkvctlWatch, ReportsTheDiskFailureWithItsEventsNotificationsAndTheRebuild) {
  CtlSandbox box;
  CtlResult watch = box.Run({"--speed", "max", "watch", "--seconds", "40"});
  ASSERT_EQ(watch.exitCode, 0) << watch.out << watch.err;
  EXPECT_THAT(watch.out, StartsWith("watching 49 nodes of 2 controllers for 40 s; time runs as "
                                    "fast as it can\n"));
  // The batch of events is decoded into both controller nodes: shown once, for both.
  const std::vector<std::string> events = LinesOf(watch.out, "event");
  const char* const expected[] = {
      "HBA1+HBA2  error   Drv. Fail: Disk 2 (channel 1 master) failed  (",
      "HBA1+HBA2  error   Ary. Critical: Array \"System\" is critical",
      "HBA1+HBA2  info    Ary. Rebuild: Rebuild of array \"System\" onto spare disk 3 (channel 1 "
      "slave) started",
      "HBA1+HBA2  info    Sync. Complete: Synchronisation of array \"Ledger\" complete"};
  ASSERT_GE(events.size(), 4u) << watch.out;
  for (std::size_t i = 0; i < 4; ++i) EXPECT_THAT(events[i], StartsWith(expected[i]));
  // The configuration change refreshes the arrays and controllers, which notify.
  bool systemChanged = false;
  for (const std::string& line : LinesOf(watch.out, "changed"))
    systemChanged = systemChanged || line.starts_with("HBA1/System, HBA1/System/disk1,");
  EXPECT_TRUE(systemChanged) << watch.out;
  const std::vector<std::string> arrays = LinesOf(watch.out, "array");
  EXPECT_EQ(arrays.front(), "HBA2/Ledger  synchronising 40%");
  EXPECT_THAT(arrays, Contains("HBA1/System  rebuilding 0%"));
  EXPECT_THAT(arrays, Contains("HBA2/Ledger  normal"));
  EXPECT_THAT(watch.out, HasSubstr("watched 40.0 s: 40 polling passes, "));
  // The component's timer and the controllers' clock keep step: the thirtieth pass, at 30 s when
  // the disk fails, reports it.
  EXPECT_THAT(watch.out, HasSubstr("\n   30.0s  event    HBA1+HBA2  error   Drv. Fail: "));
  EXPECT_THAT(watch.out, HasSubstr("\n   30.0s  array    HBA1/System  rebuilding 0%\n"));

  // The next watch goes on from 40 s, where the first left the controllers' clock.
  CtlResult more = box.Run({"--speed", "max", "watch", "--seconds", "60"});
  ASSERT_EQ(more.exitCode, 0) << more.out << more.err;
  EXPECT_EQ(LinesOf(more.out, "array").front(), "HBA1/System  rebuilding 16%") << more.out;
  const std::vector<std::string> later = LinesOf(more.out, "event");
  ASSERT_EQ(later.size(), 2u) << more.out;
  EXPECT_THAT(later[0],
              StartsWith("HBA1+HBA2  error   FAN STOPPED: Fan of bay on channel 0 stopped"));
  EXPECT_THAT(later[1], StartsWith("HBA1+HBA2  info    Rebuild Complete: Rebuild of array "
                                   "\"System\" onto disk 3 (channel 1 slave) complete"));
  EXPECT_EQ(LinesOf(more.out, "array").back(), "HBA1/System  normal");
  EXPECT_THAT(more.out, HasSubstr("\n   50.0s  array    HBA1/System  normal\n"));
}

TEST(SwkvctlWatch, EventsReadsTheControllersNewRecords) {
  CtlSandbox box;
  box.environment["SWKV_SIM_CLOCK"] = "manual+31";
  CtlResult events = box.RunOk({"--speed", "max", "events", "HBA1", "--clear"});
  const std::vector<std::string> lines = Lines(events.out);
  ASSERT_EQ(lines.size(), 6u) << events.out;
  EXPECT_EQ(lines[0], "HBA1: 3 new events");
  // "  2024-06-01 12:00:31  error   Drv. Fail: ...": the time the record was read, in UTC.
  EXPECT_EQ(lines[1].substr(2, 2), "20");
  EXPECT_EQ(lines[1].substr(21),
            "  error   Drv. Fail: Disk 2 (channel 1 master) failed  (category 0x100)");
  EXPECT_EQ(lines[2].substr(21),
            "  error   Ary. Critical: Array \"System\" is critical  (category 0x20A)");
  EXPECT_THAT(lines[3].substr(21), StartsWith("  info    Ary. Rebuild: "));
  EXPECT_EQ(lines[4], "ReadEventLog: S_OK (0x00000000)");
  EXPECT_EQ(lines[5], "ClearLog: S_OK (0x00000000): the controller's log was cleared");

  // Read once, the records are gone from the controller.
  box.environment["SWKV_SIM_CLOCK"] = "manual";
  CtlResult again = box.Run({"--speed", "max", "events", "HBA1"});
  EXPECT_THAT(again.out, StartsWith("HBA1: 0 new events\n"));
}

}  // namespace
}  // namespace swkv::test

#endif
