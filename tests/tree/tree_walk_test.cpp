// The whole tree as the agent lists it, over scenarios that between them reach every kind of
// node: names, access flags and values of every entry, in order. "controller": every controller
// entry with its formats, a bay and a battery; "modes": arrays of all six modes on two
// controllers, one synchronising, one unnamed; "bays": every bay family, missing readings and
// the last channel of each controller, the second controller's battery; "disks": geometry, sizes
// and timings, channels with master only, slave only, both and none.
#include <gtest/gtest.h>

#include "tests/tree/snapshot.h"
#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

class TreeWalkTest : public ControllerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TreeWalkTest, EveryEntryOfEveryNode) {
  Start(Scenario(GetParam()));
  ExpectText(GetParam(), TreeWalk()(root.get()));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, TreeWalkTest,
                         ::testing::Values("controller", "modes", "bays", "disks"),
                         [](const auto& test) { return std::string(test.param); });

}  // namespace
}  // namespace swkv::test
