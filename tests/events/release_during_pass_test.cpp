// Sinks that change the tree while a pass walks it: releasing the whole tree or deleting arrays
// from inside a notification. No node may be used after it was freed (the sanitizer build checks
// that), and no node the tree let go of is visited after it went.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/module_lock.h"
#include "tests/events/pass_fixture.h"
#include "tree/array_node_list.h"

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

TEST_F(ReleaseDuringPass, TheTreeReleasedByAnArraysSinkEndsTheWalkCleanly) {
  const long locks = ModuleLockCount();
  Start(kTwoControllers);
  auto alpha = Watch("HBA1/Alpha");
  auto beta = Watch("HBA2/Beta");
  auto second = Watch("HBA2");
  alpha->onNotify = [this](ULONG) { root.reset(); };

  Queue(0, 8, 0, "never decoded");
  RaiseUpdate(0);
  Pass();
  EXPECT_THAT(alpha->codes, ElementsAre(kNotifyChanged));
  // Beta and the second controller went with the tree before their turn came.
  EXPECT_THAT(beta->codes, IsEmpty());
  EXPECT_THAT(second->codes, IsEmpty());
  EXPECT_THAT(ArrayNodeList(), IsEmpty());
  EXPECT_THAT(ControllerNodeList(), IsEmpty());
  EXPECT_EQ(ModuleLockCount(), locks);
  EXPECT_EQ(simOpenController(), CurrentController());
}

TEST_F(ReleaseDuringPass, TheTreeReleasedByAControllersSinkEndsTheWalkCleanly) {
  const long locks = ModuleLockCount();
  Start(kTwoControllers);
  auto first = Watch("HBA1");
  auto second = Watch("HBA2");
  first->onNotify = [this](ULONG) { root.reset(); };
  Pass();  // leaves the count at 4, where no sensor poll runs
  ASSERT_TRUE(first->codes.empty());

  RaiseUpdate(0);
  Pass();
  EXPECT_THAT(first->codes, ElementsAre(kNotifyChanged));
  EXPECT_THAT(second->codes, IsEmpty());
  EXPECT_THAT(ArrayNodeList(), IsEmpty());
  EXPECT_THAT(ControllerNodeList(), IsEmpty());
  EXPECT_EQ(ModuleLockCount(), locks);

  // The next pass finds no node.
  Queue(0, 8, 0, "after the tree");
  simResetCallCounts();
  Pass();
  EXPECT_EQ(Calls("raGetEvents"), 1);
}

TEST_F(ReleaseDuringPass, AnArrayDeletedByAnotherArraysSinkIsNotRefreshedAfterwards) {
  Start(kTwoArrays);
  auto alpha = Watch("HBA1/Alpha");
  auto gamma = Watch("HBA1/Gamma");
  bool deleted = false;
  alpha->onNotify = [&](ULONG) {
    if (deleted) return;
    deleted = true;
    DeleteArray("HBA1", "Gamma");
  };

  RaiseUpdate(0);
  Pass();
  EXPECT_TRUE(deleted);
  EXPECT_THAT(gamma->codes, ElementsAre(kNotifyDeleted));
  EXPECT_EQ(ArrayNodeList().size(), 1u);
  EXPECT_TRUE(At("HBA1/Alpha"));
  EXPECT_FALSE(At("HBA1/Gamma"));
}

TEST_F(ReleaseDuringPass, AnArrayThatDeletesItselfWhenRefreshedIsHeldUntilItsRefreshEnds) {
  Start(kTwoArrays);
  auto alpha = Watch("HBA1/Alpha");
  auto gamma = Watch("HBA1/Gamma");
  alpha->onNotify = [&](ULONG code) {
    if (code == kNotifyChanged && alpha->codes.size() == 1) DeleteArray("HBA1", "Alpha");
  };

  RaiseUpdate(0);
  Pass();
  EXPECT_THAT(alpha->codes, ElementsAre(kNotifyChanged, kNotifyDeleted));
  EXPECT_EQ(gamma->codes.front(), kNotifyChanged);
  EXPECT_EQ(ArrayNodeList().size(), 1u);
  EXPECT_FALSE(At("HBA1/Alpha"));
  EXPECT_TRUE(At("HBA1/Gamma"));
}

TEST_F(ReleaseDuringPass, AnArrayDeletedByItsSinkDuringTheControllersRefresh) {
  Start(kTwoArrays);
  auto alpha = Watch("HBA1/Alpha");
  // The second notification of the pass comes from the controller's refresh of its arrays.
  alpha->onNotify = [&](ULONG code) {
    if (code == kNotifyChanged && alpha->codes.size() == 2) DeleteArray("HBA1", "Alpha");
  };

  RaiseUpdate(0);
  Pass();
  EXPECT_THAT(alpha->codes, ElementsAre(kNotifyChanged, kNotifyChanged, kNotifyDeleted));
  EXPECT_EQ(ArrayNodeList().size(), 1u);
  EXPECT_FALSE(At("HBA1/Alpha"));
  EXPECT_TRUE(At("HBA1/Gamma"));
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
