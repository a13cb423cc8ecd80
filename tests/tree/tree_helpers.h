// What the tree walk needs: a tree over a scenario of tests/tree/scenarios/, started from the
// library's state at load.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "sim/sim_control.h"
#include "tests/support/files.h"
#include "tests/support/tree_fixture.h"
#include "tree/controller_node.h"

namespace swkv::test {

// The tests of one program may also run in one process: each starts from a fresh library,
// selection and poll counts.
class ControllerTest : public TreeTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(simReset(), 0) << simLastError();
    ResetSelection();
    EnclosurePollCount() = 0;
    BatteryPollCount() = 0;
  }
};

// A scenario of tests/tree/scenarios/ by name.
inline std::string Scenario(const char* name) {
  return ReadText(std::string(SWKV_TREE_DIR) + "/scenarios/" + name + ".json");
}

}  // namespace swkv::test
