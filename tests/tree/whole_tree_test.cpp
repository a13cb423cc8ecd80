// The default two-controller system, built and walked as the agent does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "frame/module_lock.h"
#include "tests/support/tree_fixture.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;

class WholeTree : public TreeTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(simReset(), 0) << simLastError();
    simStopClock();
  }
  // Visits every node below node (depth first) with its path; reads every entry on the way.
  void Walk(IRiver* node, const std::string& path, const std::function<void(IRiver*, const std::string&)>& visit) {
    visit(node, path);
    for (const std::string& entry : Dir(node)) {
      std::string name = entry.substr(0, entry.find('@'));
      Get(node, name);
      if (entry.find("@o--@") != std::string::npos) {
        ComPtr<IRiver> child = Cd(node, name);
        ASSERT_TRUE(child) << path << "/" << name;
        Walk(child.get(), path + "/" + name, visit);
      }
    }
  }
};

TEST_F(WholeTree, RootShowsBothControllersThenVersionAndType) {
  Build();
  auto entries = Dir(root.get());
  // The test program carries the component's resources, version block included.
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0], "handle@pr-@" + std::to_string(root->handle_number()) + ";14");
  EXPECT_EQ(entries[1], "HBA1@o--@26");
  EXPECT_EQ(entries[2], "HBA2@o--@26");
  EXPECT_EQ(entries[3], "FileVersion@pr-@1.0.0001 Build 1");
  EXPECT_EQ(entries[4], "Type@pr-@TESSARY SwiftbayRAIDKv9");
  EXPECT_EQ(ControllerCount(), 2);
}

TEST_F(WholeTree, EveryNodeCanBeWalkedAndReadAndEverythingIsReleased) {
  long before = ModuleLockCount();
  Build();
  int nodes = 0;
  Walk(root.get(), "", [&](IRiver*, const std::string&) { ++nodes; });
  // root, 2 controllers, 8 channels, 2 enclosures, 4 bays, 1 battery, 5 arrays, disks.
  EXPECT_GT(nodes, 40);
  EXPECT_EQ(Names(At("HBA1").get()).front(), "handle");
  root.reset();
  EXPECT_EQ(ModuleLockCount(), before);
}

TEST_F(WholeTree, ControllerChildrenInCreationOrder) {
  Build();
  auto names = Names(At("HBA1").get());
  std::vector<std::string> links;
  for (const std::string& entry : Dir(At("HBA1").get()))
    if (entry.find("@o--@") != std::string::npos) links.push_back(entry);
  EXPECT_THAT(links, ElementsAre("ch1@o--@27", "ch2@o--@27", "ch3@o--@27", "ch4@o--@27",
                                 "enclosure1@o--@7", "battery@o--@29", "System@o--@25",
                                 "Data@o--@25"));
}

TEST_F(WholeTree, ArrayAndMemberDisks) {
  Build();
  auto data = At("HBA1/Data");
  ASSERT_TRUE(data);
  EXPECT_EQ(Get(data.get(), "RAID_Mode"), "DISTRIBUTED PARITY");
  EXPECT_EQ(Get(data.get(), "Block Size"), "64 (kb)");
  EXPECT_EQ(Get(data.get(), "Status"), "0");
  EXPECT_TRUE(At("HBA1/Data/disk5"));
  EXPECT_TRUE(At("HBA1/Data/disk6"));
  EXPECT_TRUE(At("HBA1/Data/disk7"));
  EXPECT_EQ(Get(At("HBA1/ch3/master").get(), "model"), "Osprey OS-120");
  EXPECT_EQ(Get(At("HBA1/ch3/master").get(), "Timing_Mode"), "UDMA mode 4");
}

}  // namespace
}  // namespace swkv::test
