// The default two-controller system, built and walked as the agent does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(WholeTree, EveryNodeCanBeWalkedAndReadAndEverythingIsReleased) {
  long before = ModuleLockCount();
  Build();
  EXPECT_THAT(Names(root.get()), ElementsAre("handle", "HBA1", "HBA2", "FileVersion", "Type"));
  std::vector<std::string> paths;
  Walk(root.get(), "", [&](IRiver*, const std::string& path) { paths.push_back(path); });
  // root, 2 controllers, 8 channels, 2 enclosures, 4 bays, 1 battery, 5 arrays, disks.
  EXPECT_GT(paths.size(), 40u);
  for (const char* path : {"/HBA1/Data/disk5", "/HBA1/battery", "/HBA2/enclosure1/quickbay5"})
    EXPECT_NE(std::find(paths.begin(), paths.end(), path), paths.end()) << path;
  EXPECT_EQ(Get(At("HBA1/Data").get(), "RAID_Mode"), "DISTRIBUTED PARITY");
  EXPECT_EQ(Get(At("HBA1/ch3/master").get(), "Timing_Mode"), "UDMA mode 4");
  root.reset();
  EXPECT_EQ(ModuleLockCount(), before);
}

}  // namespace
}  // namespace swkv::test
