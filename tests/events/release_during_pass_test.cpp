// Sinks that change the tree while a pass walks it: releasing the whole tree or deleting arrays
// from inside a notification. No node may be used after it was freed (the sanitizer build checks
// that), and no node the tree let go of is visited after it went.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/module_lock.h"
#include "tests/events/pass_fixture.h"
#include "events/polled_nodes.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ReleaseDuringPass : public PassTest {
 protected:
  // Deletes the array at path through its controller's action, as the agent would.
  void DeleteArray(std::string_view controller, std::string_view array) {
    std::string handle = Get(At(std::string(controller) + "/" + std::string(array)).get(), "handle");
    ASSERT_FALSE(handle.empty()) << array;
    EXPECT_EQ(Invoke(At(controller).get(), "DeleteArray", handle), S_OK);
  }
};

TEST_F(ReleaseDuringPass, TheTreeReleasedByASinkEndsTheWalkCleanly) {
  // The sink releasing the tree, and the nodes whose turn came after it.
  const struct {
    const char* releaser;
    std::vector<const char*> later;
  } cases[] = {{"HBA1/Alpha", {"HBA2/Beta", "HBA2"}}, {"HBA1", {"HBA2"}}};
  const long locks = ModuleLockCount();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.releaser);
    SetUp();
    Start(kTwoControllers);
    auto releaser = Watch(c.releaser);
    std::vector<ComPtr<RecordingSink>> later;
    for (const char* path : c.later) later.push_back(Watch(path));
    releaser->onNotify = [this](ULONG) { root.reset(); };
    Pass();  // leaves the count at 4, where no sensor poll runs
    ASSERT_TRUE(releaser->codes.empty());

    Queue(0, 8, 0, "never decoded");
    RaiseUpdate(0);
    Pass();
    EXPECT_THAT(releaser->codes, ElementsAre(kNotifyChanged));
    for (const auto& sink : later) EXPECT_THAT(sink->codes, IsEmpty());
    EXPECT_THAT(ArrayNodeList(), IsEmpty());
    EXPECT_THAT(ControllerNodeList(), IsEmpty());
    EXPECT_EQ(ModuleLockCount(), locks);
    EXPECT_EQ(simOpenController(), CurrentController());
    // The next pass finds no node.
    simResetCallCounts();
    Pass();
    EXPECT_EQ(Calls("raGetEvents"), 1);
  }
}

TEST_F(ReleaseDuringPass, AnArrayDeletedFromAnArraysSinkIsHeldUntilItsRefreshEndsAndNotVisitedAgain) {
  // Alpha's sink deletes an array at its n-th notification of the pass: the first comes from
  // the array's own full refresh, the second from the controller's refresh of its arrays.
  const struct {
    const char* victim;
    std::size_t at;
    std::vector<ULONG> codes;  // the victim's
  } cases[] = {{"Gamma", 1, {kNotifyDeleted}},
               {"Alpha", 1, {kNotifyChanged, kNotifyDeleted}},
               {"Alpha", 2, {kNotifyChanged, kNotifyChanged, kNotifyDeleted}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.victim) + " at " + std::to_string(c.at));
    root.reset();
    SetUp();
    Start(kTwoArrays);
    auto alpha = Watch("HBA1/Alpha");
    auto gamma = Watch("HBA1/Gamma");
    alpha->onNotify = [&](ULONG code) {
      if (code == kNotifyChanged && alpha->codes.size() == c.at) DeleteArray("HBA1", c.victim);
    };
    RaiseUpdate(0);
    Pass();
    const bool alphaGoes = c.victim == std::string("Alpha");
    EXPECT_EQ((alphaGoes ? alpha : gamma)->codes, c.codes);
    EXPECT_EQ((alphaGoes ? gamma : alpha)->codes.front(), kNotifyChanged);
    EXPECT_EQ(ArrayNodeList().size(), 1u);
    EXPECT_FALSE(At(std::string("HBA1/") + c.victim));
    EXPECT_TRUE(At(alphaGoes ? "HBA1/Gamma" : "HBA1/Alpha"));
  }
}

TEST_F(ReleaseDuringPass, AControllerSinkThatDeletesEveryArrayStillGetsTheEvents) {
  Start(kTwoArrays);
  auto controller = Watch("HBA1");
  controller->onNotify = [&](ULONG) {
    if (controller->codes.size() != 1) return;
    DeleteArray("HBA1", "Alpha");
    DeleteArray("HBA1", "Gamma");
  };

  Queue(0, 8, 0, "Array 1 is critical");
  RaiseUpdate(0);
  Pass();
  EXPECT_THAT(ArrayNodeList(), IsEmpty());
  // The events are decoded after the controller's notification, into the node that notified.
  ComPtr<IEventLog> log = Log("HBA1");
  EXPECT_EQ(NewCount(log.get()), 1u);
  EXPECT_EQ(Next(log.get()), "522@T@3@Ary. Critical@Array 1 is critical");
}

}  // namespace
}  // namespace swkv::test
