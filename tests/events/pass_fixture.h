// Polling passes over a tree built on the simulated library, and the agent's side of IEventLog.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "events/poll_timer.h"
#include "platform/com_ptr.h"
#include "raidlib/selection.h"
#include "mxaraid/interfaces.h"
#include "tests/support/files.h"
#include "tests/support/tree_fixture.h"
#include "tree/controller_node.h"
#include "events/polled_nodes.h"

namespace swkv::test {

// The scenarios of tests/events/scenarios/: one controller with one mirror, a bay and a battery
// module; the same with a second array; two controllers with one array each at logical number
// 0 ("Alpha" on the first with the battery, "Beta" on the second); disks and no array.
inline std::string EventScenario(const char* name) {
  return ReadText(std::string(SWKV_EVENTS_DIR) + "/scenarios/" + name + ".json");
}
inline const std::string kOneArray = EventScenario("one_array");
inline const std::string kTwoArrays = EventScenario("two_arrays");
inline const std::string kTwoControllers = EventScenario("two_controllers");
inline const std::string kNoArray = EventScenario("no_array");

class PassTest : public TreeTest {
 protected:
  void SetUp() override {
    // Where one process runs every test (the Windows test programs under Wine), the counts and
    // the selection start over for each; the timer stays armed once per process.
    ResetSelection();
    PollTickCount() = 0;
    EnclosurePollCount() = 0;
    BatteryPollCount() = 0;
    ASSERT_EQ(simReset(), 0) << simLastError();
    simStopClock();
  }

  // One pass, as the timer's dispatch runs it.
  static void Pass() { PollTimerProc(nullptr, WM_TIMER, PollTimerId(), 0); }

  // Queues an event on a controller, as the controller does when something happens.
  static void Queue(int controller, int code, int severity, std::string_view text) {
    std::string json = "{\"controller\":" + std::to_string(controller) +
                       ",\"event\":{\"code\":" + std::to_string(code) +
                       ",\"severity\":" + std::to_string(severity) + ",\"text\":\"" +
                       std::string(text) + "\"}}";
    ASSERT_EQ(simApply(json.c_str()), 0) << simLastError();
  }
  // Makes the controller report a configuration change at its next raNeedUpdate.
  static void RaiseUpdate(int controller) {
    std::string json = "{\"controller\":" + std::to_string(controller) + ",\"update\":true}";
    ASSERT_EQ(simApply(json.c_str()), 0) << simLastError();
  }

  // The IEventLog of a controller node ("HBA1"), through QueryInterface as the agent gets it.
  ComPtr<IEventLog> Log(std::string_view controller) const {
    ComPtr<IRiver> node = At(controller);
    return node ? node.As<IEventLog>(IID_IEventLog) : ComPtr<IEventLog>();
  }

  static ULONG NewCount(IEventLog* log) {
    ULONG count = 0xDEADBEEF;
    EXPECT_EQ(log->GetNewCount(&count), S_OK);
    return count;
  }

  // The next record of the log without its time; "<refused>" when the read did not succeed.
  static std::string Next(IEventLog* log) {
    ReadResult read = Read(log);
    if (read.status != S_OK) return "<refused>";
    return WithoutTime(read.record);
  }
};

}  // namespace swkv::test
