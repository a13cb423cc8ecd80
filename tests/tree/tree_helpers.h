// What the tree tests share: the controller fixture, handles as actions take them, values as
// stored, notifications of several nodes in one log, and the library's own trace of its calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sim/sim_control.h"
#include "tests/support/agent.h"
#include "tests/support/files.h"
#include "tests/support/tree_fixture.h"
#include "tree/controller_node.h"

namespace swkv::test {

// A tree over a small scenario, started from the library's state at load (the tests of one
// program may also run in one process), with the controller nodes behind the root's links.
class ControllerTest : public TreeTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(simReset(), 0) << simLastError();
    ResetSelection();
    EnclosurePollCount() = 0;
    BatteryPollCount() = 0;
  }
  // Builds the tree without forgetting the library calls construction made.
  void BuildCounting() {
    simResetCallCounts();
    root = ComPtr<RootNode>(RootNode::New());
  }
  // The controller node behind a link of the root ("HBA1"); null when there is none.
  ControllerNode* Controller(const char* name) const {
    return static_cast<ControllerNode*>(root->GetChild(name));
  }
  // The child links of a node, "name@o--@kind", in drop order.
  static std::vector<std::string> Links(IRiver* node) {
    std::vector<std::string> links;
    for (const std::string& entry : Dir(node))
      if (entry.find("@o--@") != std::string::npos) links.push_back(entry);
    return links;
  }
};

// A scenario of tests/tree/scenarios/ by name.
inline std::string Scenario(const char* name) {
  return ReadText(std::string(SWKV_TREE_DIR) + "/scenarios/" + name + ".json");
}

// The address part of a node's handle ("1234;28" gives "1234").
inline std::string HandleAddress(IRiver* node) {
  std::string handle = Get(node, "handle");
  return handle.substr(0, handle.find(';'));
}

// An entry's stored value, from the listing (no hook runs, nothing is queried); "-" when absent.
inline std::string Shown(IRiver* node, std::string_view name) {
  std::string entry = Entry(node, name);
  return entry.empty() ? "-" : entry.substr(entry.find('@', entry.find('@') + 1) + 1);
}

// The names of the node's child links to nodes of the kind ("25"), in order.
inline std::vector<std::string> Links(IRiver* node, std::string_view kind) {
  std::vector<std::string> names;
  const std::string tail = "@o--@" + std::string(kind);
  for (const std::string& entry : Dir(node))
    if (entry.ends_with(tail)) names.push_back(entry.substr(0, entry.find('@')));
  return names;
}

// Notifications of several nodes in the order they arrive, as "label:0x2002".
struct NotificationLog {
  void Watch(IRiver* node, std::string label) {
    sinks.push_back(RecordingSink::Create());
    sinks.back()->onNotify = [this, label](ULONG code) {
      char text[16];
      std::snprintf(text, sizeof text, ":0x%lX", static_cast<unsigned long>(code));
      entries.push_back(label + text);
    };
    sinks.back()->AdviseOn(node);
  }
  std::vector<std::string> entries;
  std::vector<ComPtr<RecordingSink>> sinks;
};

// The library's trace of its calls, in a file of the test's own. Start it before the scenario
// is loaded: the library takes the setting when it is reset.
class LibraryTrace {
 public:
  // Named after the test, since tests run in parallel processes.
  LibraryTrace()
      : m_path(::testing::TempDir() + "swkv_trace_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log") {
    std::remove(m_path.c_str());
    Set(m_path.c_str());
    EXPECT_EQ(simReset(), 0) << simLastError();
  }
  ~LibraryTrace() {
    Set(nullptr);
    simReset();
    std::remove(m_path.c_str());
  }
  // The calls of one function as "raX(arguments) = status", in order.
  std::vector<std::string> Calls(const std::string& function) const {
    std::vector<std::string> calls;
    std::ifstream in(m_path);
    for (std::string line; std::getline(in, line);) {
      std::size_t at = line.find(" " + function + "(");
      if (at != std::string::npos) calls.push_back(line.substr(at + 1, line.find(" ->") - at - 1));
    }
    return calls;
  }

 private:
  static void Set(const char* value) { SetEnv("SWKV_SIM_TRACE", value); }
  std::string m_path;
};

}  // namespace swkv::test
