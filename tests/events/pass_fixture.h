// Polling passes over a tree built on the simulated library, and the agent's side of IEventLog.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "events/poll_timer.h"
#include "platform/com_ptr.h"
#include "raidlib/selection.h"
#include "mxaraid/interfaces.h"
#include "tests/support/tree_fixture.h"
#include "tree/controller_node.h"
#include "events/polled_nodes.h"

namespace swkv::test {

// One controller with one mirror, a bay with sensors and a battery module.
inline constexpr std::string_view kOneArray = R"({"controllers": [{
  "disks": [{"disk": 0, "model": "Kestrel KD-80A"}, {"disk": 2, "model": "Kestrel KD-80A"}],
  "arrays": [{"name": "Alpha", "mode": "mirroring", "members": [0, 2]}],
  "bays": [{"channel": 0, "type": "quickbay", "fan": 4000, "temperature": 35, "power5V": 1, "power12V": 1}],
  "battery": {}}]})";

// One controller with two arrays.
inline constexpr std::string_view kTwoArrays = R"({"controllers": [{
  "disks": [{"disk": 0, "model": "Kestrel KD-80A"}, {"disk": 2, "model": "Kestrel KD-80A"},
            {"disk": 4, "model": "Osprey OS-120"}, {"disk": 6, "model": "Osprey OS-120"}],
  "arrays": [{"name": "Alpha", "mode": "mirroring", "members": [0, 2]},
             {"name": "Gamma", "mode": "striping", "members": [4, 6]}],
  "bays": [{"channel": 0, "type": "quickbay", "fan": 4000, "temperature": 35, "power5V": 1, "power12V": 1}],
  "battery": {}}]})";

// Two controllers, each with one array at logical number 0: "Alpha" on the first, "Beta" on the
// second; a battery on the first only.
inline constexpr std::string_view kTwoControllers = R"({"controllers": [{
  "disks": [{"disk": 0, "model": "Kestrel KD-80A"}, {"disk": 2, "model": "Kestrel KD-80A"}],
  "arrays": [{"name": "Alpha", "mode": "mirroring", "members": [0, 2]}],
  "bays": [{"channel": 0, "type": "quickbay", "fan": 4000, "temperature": 35, "power5V": 1, "power12V": 1}],
  "battery": {}
}, {
  "disks": [{"disk": 0, "model": "Heron H-60"}, {"disk": 2, "model": "Heron H-60"}],
  "arrays": [{"name": "Beta", "mode": "mirroring", "members": [0, 2]}],
  "bays": [{"channel": 0, "type": "hyperbay", "fan": 3900, "temperature": 38, "power5V": 1, "power12V": 1}]
}]})";

// One controller with disks and no array.
inline constexpr std::string_view kNoArray = R"({"controllers": [{
  "disks": [{"disk": 0, "model": "Kestrel KD-80A"}, {"disk": 2, "model": "Kestrel KD-80A"}]}]})";

// What one ReadEventLog call gave the agent.
struct ReadResult {
  HRESULT status = E_UNEXPECTED;
  bool null = false;       // the string came back null
  std::string record;      // the record, when there was one
};

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

  // Loads the scenario, builds the tree and returns the first controller's IEventLog.
  ComPtr<IEventLog> StartLog(std::string_view scenario) {
    Start(scenario);
    return Log("HBA1");
  }

  static ULONG NewCount(IEventLog* log) {
    ULONG count = 0xDEADBEEF;
    EXPECT_EQ(log->GetNewCount(&count), S_OK);
    return count;
  }

  static ReadResult Read(IEventLog* log) {
    static OLECHAR sentinel[] = {'x', 0};
    BSTR buffer = sentinel;
    ReadResult result;
    result.status = log->ReadEventLog(&buffer, nullptr);
    result.null = buffer == nullptr;
    if (buffer && buffer != sentinel) {
      UniqueBstr owned(buffer);
      result.record = Narrow(owned.get());
    }
    return result;
  }

  // The record with its time field (the second) replaced by "T", once that field was checked to
  // be a decimal number; the record unchanged when it has no such field.
  static std::string WithoutTime(const std::string& record) {
    std::size_t first = record.find('@');
    if (first == std::string::npos) return record;
    std::size_t second = record.find('@', first + 1);
    if (second == std::string::npos) return record;
    std::string time = record.substr(first + 1, second - first - 1);
    if (time.empty() || time.find_first_not_of("0123456789") != std::string::npos) return record;
    return record.substr(0, first + 1) + "T" + record.substr(second);
  }
  // The next record of the log without its time; "<refused>" when the read did not succeed.
  static std::string Next(IEventLog* log) {
    ReadResult read = Read(log);
    if (read.status != S_OK) return "<refused>";
    return WithoutTime(read.record);
  }

  // The controller node of an index, as the tree holds it.
  static ControllerNode* ControllerOf(int index) {
    for (CPolledController* polled : ControllerNodeList()) {
      auto* node = static_cast<ControllerNode*>(polled);
      if (node->controller_index() == index) return node;
    }
    return nullptr;
  }
};

}  // namespace swkv::test
