// Helpers shared by the tests of the root, controller, enclosure and battery nodes: a tree built
// over a small scenario, the controller nodes behind the links, and the link entries of a node.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/tree_fixture.h"
#include "tree/controller_node.h"

namespace swkv::test {

class ControllerTest : public TreeTest {
 protected:
  void SetUp() override {
    // The tests of one program may also run in one process: start from the state at load.
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

}  // namespace swkv::test
