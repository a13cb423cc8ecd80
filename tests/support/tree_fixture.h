// A device tree built over the simulated controller library, for tests that act on it the way
// the agent does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/com_ptr.h"
#include "raidlib/selection.h"
#include "sim/sim_control.h"
#include "tests/support/agent.h"
#include "tests/support/message_capture.h"
#include "tests/support/registry_sandbox.h"
#include "tree/root_node.h"

namespace swkv::test {

class TreeTest : public ::testing::Test {
 protected:
  // Loads a scenario (JSON text) with the simulator's clock stopped.
  void Load(std::string_view scenario) {
    ASSERT_EQ(simLoadScenarioText(std::string(scenario).c_str()), 0) << simLastError();
    simStopClock();
  }
  // Builds the tree from the root, as creating the main class does.
  void Build() {
    root = ComPtr<RootNode>(RootNode::New());
    simResetCallCounts();
  }
  // The node at a path of link names below the root ("HBA1/ch1/master"); null when absent.
  ComPtr<IRiver> At(std::string_view path) const {
    ComPtr<IRiver> node(static_cast<IRiver*>(root.get()));
    while (node && !path.empty()) {
      std::size_t slash = path.find('/');
      node = Cd(node.get(), path.substr(0, slash));
      path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    return node;
  }
  // Loads the scenario, builds the tree and returns the node at the path.
  ComPtr<IRiver> Start(std::string_view scenario, std::string_view path = "HBA1") {
    Load(scenario);
    Build();
    return At(path);
  }
  // A sink subscribed to the node at the path.
  ComPtr<RecordingSink> Watch(std::string_view path) const {
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    ComPtr<IRiver> node = At(path);
    EXPECT_TRUE(node) << path;
    if (node) {
      EXPECT_NE(sink->AdviseOn(node.get()), 0u) << path;
    }
    return sink;
  }
  static std::int64_t Calls(const char* function, std::int32_t controller = -1) {
    return simCallCount(function, controller);
  }

  RegistrySandbox registry;
  MessageCapture messages;
  ComPtr<RootNode> root;
};

}  // namespace swkv::test
