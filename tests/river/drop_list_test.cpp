// Entries of a node as the agent sees them: order, in-place updates, access strings, handles,
// child links, and the tree searches that resolve handles.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "com/module_lock.h"
#include "tests/support/agent.h"
#include "tests/support/test_node.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

class DropList : public ::testing::Test {
 protected:
  ComPtr<TestRoot> root{TestRoot::Make()};
};

TEST_F(DropList, HandleFirstThenNamesInOrderUpdatedInPlaceAndCaseSensitive) {
  EXPECT_GT(root->handle_number(), 0);
  root->SetProperty("a", kReadOnly, "%d", 1);
  root->SetProperty("b", kReadOnly, "%d", 2);
  root->SetProperty("a", kReadWrite, "%s", "new");
  root->SetIntProperty("A", kChanging, 3);
  EXPECT_THAT(Dir(root.get()),
              ElementsAre("handle@pr-@" + std::to_string(root->handle_number()) + ";14",
                          "a@prw@new", "b@pr-@2", "A@prv@3"));
  // Each drop writes its own entry as the listing shows it.
  std::vector<std::string> own(root->drops().size());
  for (std::size_t i = 0; i < own.size(); ++i) root->drops()[i]->AppendDirEntry(own[i]);
  EXPECT_EQ(own, Dir(root.get()));
}

TEST_F(DropList, AccessStringsFollowTheFlags) {
  const std::pair<std::uint32_t, const char*> cases[] = {
      {3, "x@pr-@v"}, {7, "x@prw@v"}, {11, "x@prv@v"},
      {15, "x@prw@v"},       // "w" wins over "v"
      {0x20, "x@prw@v"},     // an unknown flag word keeps the previous access string
      {DROP_METHOD | 7, "x@m--@v"}};
  for (const auto& [flags, entry] : cases) {
    root->PutDrop("x", flags, "v");
    EXPECT_EQ(Entry(root.get(), "x"), entry) << flags;
  }
  root->PutDrop("none", 0x20, "x");
  EXPECT_EQ(Entry(root.get(), "none"), "none@@x");  // no sort bit: the access string stays empty
}

TEST_F(DropList, ChildLinksShowTheKindAndNeedASemicolon) {
  TestNode* child = TestNode::MakeChild(root.get(), "Ary1", 25);
  EXPECT_EQ(Entry(root.get(), "Ary1"), "Ary1@o--@25");
  EXPECT_EQ(Get(root.get(), "Ary1"), std::to_string(child->handle_number()) + ";25");
  EXPECT_EQ(child->ref_count(), 1u);
  EXPECT_EQ(child->parent(), root.get());
  root->PutDrop("odd", DROP_OBJECT, "1234");
  root->PutDrop("odd2", DROP_OBJECT, ";25");
  EXPECT_EQ(Entry(root.get(), "odd"), "");
  EXPECT_THAT(Dir(root.get()), ::testing::Contains(""));
}

TEST_F(DropList, UninitialisedNodesCannotBeLinked) {
  ComPtr<TestNode> loose(TestNode::Unlinked());
  EXPECT_EQ(root->AddChild(loose.get(), "x"), 0);
  ComPtr<TestNode> ready(TestNode::Make(nullptr, "y"));
  EXPECT_EQ(root->AddChild(ready.get(), nullptr), 1);
  EXPECT_EQ(root->FindDrop("x"), nullptr);
  EXPECT_EQ(loose->ref_count(), 1u);
}

TEST_F(DropList, InitRunsUpdatePropertiesBeforeRegisterActionsAndRefreshTheOtherWay) {
  ComPtr<TestNode> node(TestNode::Make(nullptr, "n"));
  EXPECT_THAT(node->order, ElementsAre("UpdateProperties", "RegisterActions"));
  node->order.clear();
  node->Refresh();
  EXPECT_THAT(node->order, ElementsAre("RegisterActions", "UpdateProperties"));
}

TEST_F(DropList, ALinkOrPropertyUnderANameInUseReleasesTheOldChild) {
  int before = TestNode::destroyed;
  TestNode::MakeChild(root.get(), "slot");
  TestNode* second = TestNode::MakeChild(root.get(), "slot");
  EXPECT_EQ(TestNode::destroyed, before + 1);
  EXPECT_EQ(root->GetChild("slot"), second);
  EXPECT_EQ(second->ref_count(), 1u);
  root->SetProperty("slot", kReadOnly, "%s", "plain");
  EXPECT_EQ(TestNode::destroyed, before + 2);
  EXPECT_EQ(root->GetChild("slot"), nullptr);
}

TEST_F(DropList, RemoveChildReleasesTheLinkAndKeepsAChildTheAgentHolds) {
  TestNode* child = TestNode::MakeChild(root.get(), "c");
  ComPtr<IRiver> held = Cd(root.get(), "c");
  ASSERT_TRUE(held);
  EXPECT_EQ(child->ref_count(), 2u);
  root->RemoveChild(root->FindDrop("c"));
  EXPECT_EQ(root->FindDrop("c"), nullptr);
  EXPECT_EQ(child->ref_count(), 1u);
  EXPECT_EQ(Get(held.get(), "handle"), std::to_string(child->handle_number()) + ";28");
  // A drop of another node is left alone.
  ComPtr<TestNode> other(TestNode::Make(nullptr, "o"));
  root->RemoveChild(other->FindDrop("handle"));
  EXPECT_NE(other->FindDrop("handle"), nullptr);
  EXPECT_NE(root->FindDrop("handle"), nullptr);
}

TEST_F(DropList, RemoveAllChildrenEmptiesTheListHandleIncluded) {
  TestNode::MakeChild(root.get(), "c");
  root->SetIntProperty("p", kReadOnly, 1);
  root->RemoveAllChildren();
  EXPECT_TRUE(root->drops().empty());
  EXPECT_TRUE(Dir(root.get()).empty());
}

TEST_F(DropList, NodesHoldAModuleLockAndTheParentTearsDownSubtreesNobodyElseHolds) {
  int before = TestNode::destroyed;
  long locks = ModuleLockCount();
  TestNode* a = TestNode::MakeChild(root.get(), "a");
  TestNode::MakeChild(a, "b");
  EXPECT_EQ(ModuleLockCount(), locks + 2);
  root.reset();
  EXPECT_EQ(TestNode::destroyed, before + 2);
  EXPECT_EQ(ModuleLockCount(), locks - 1);
}

TEST_F(DropList, GetChildAndGetNextChildWalkOnlyLinksAndSurviveRemovingTheCurrent) {
  TestNode* a = TestNode::MakeChild(root.get(), "a");
  root->SetIntProperty("p", kReadOnly, 1);
  TestNode* b = TestNode::MakeChild(root.get(), "b");
  TestNode* c = TestNode::MakeChild(root.get(), "c");
  EXPECT_EQ(root->GetChild("p"), nullptr);
  EXPECT_EQ(root->GetChild("missing"), nullptr);
  DropPosition position = root->GetHeadPosition();
  std::vector<CRiver*> seen;
  CDrop* drop = nullptr;
  while (CRiver* child = root->GetNextChild(position, &drop)) {
    seen.push_back(child);
    if (drop->name() != "b") root->RemoveChild(drop);
  }
  EXPECT_THAT(seen, ElementsAre(a, b, c));
  EXPECT_EQ(root->GetChild("b"), b);
  EXPECT_EQ(root->GetChild("c"), nullptr);
}

// "p7", "c12": a letter and a number (built by appending, which the cross compiler's
// overlap warning accepts).
std::string Numbered(char letter, int number) {
  std::string name(1, letter);
  name += std::to_string(number);
  return name;
}

// Entries come and go in any order over many of the blocks a node keeps them in; the list
// always reads as the entries stored, in order, and a removed child is released.
TEST_F(DropList, ManyEntriesStayIntactAsLinksComeAndGo) {
  int before = TestNode::destroyed;
  std::vector<std::string> expected = {"handle"};
  for (int i = 0; i < 40; ++i) {
    std::string name = Numbered('p', i);
    root->SetIntProperty(name.c_str(), kReadOnly, i);
    expected.push_back(name + "@pr-@" + std::to_string(i));
    if (i % 4 == 0) TestNode::MakeChild(root.get(), Numbered('c', i).c_str(), 25);
  }
  for (int i = 0; i < 40; i += 4) root->RemoveChild(root->FindDrop(Numbered('c', i)));
  EXPECT_EQ(TestNode::destroyed, before + 10);
  for (int i = 40; i < 60; ++i) {
    std::string name = Numbered('p', i);
    root->SetProperty(name.c_str(), kReadWrite, "%s", std::string(i, 'v').c_str());
    expected.push_back(name + "@prw@" + std::string(i, 'v'));
  }
  std::vector<std::string> entries = Dir(root.get());
  ASSERT_EQ(entries.size(), expected.size());
  EXPECT_THAT(entries[0], StartsWith("handle@"));
  for (std::size_t i = 1; i < expected.size(); ++i) EXPECT_EQ(entries[i], expected[i]) << i;
}

TEST_F(DropList, SearchesBelowTheNodeByDistinctHandleOrByIdCheckTheKind) {
  TestNode* array = TestNode::MakeChild(root.get(), "Ary1", 25);
  TestNode* disk = TestNode::MakeChild(array, "disk1", 28, 9);
  EXPECT_NE(array->handle_number(), disk->handle_number());
  EXPECT_NE(array->handle_number(), root->handle_number());
  EXPECT_EQ(root->FindNodeByHandle(disk->handle_number(), 28), disk);
  EXPECT_EQ(root->FindNodeByHandle(disk->handle_number(), 25), nullptr);
  EXPECT_EQ(root->FindNodeByHandle(root->handle_number(), 14), nullptr);
  EXPECT_EQ(array->FindNodeByHandle(array->handle_number(), 25), nullptr);
  EXPECT_EQ(root->FindNodeByHandle(0, 28), nullptr);

  TestNode* channel = TestNode::MakeChild(root.get(), "ch1", 27, 0);
  TestNode* enclosure = TestNode::MakeChild(root.get(), "enclosure1", 7, 4);
  TestNode* master = TestNode::MakeChild(channel, "master", 28, 0);
  EXPECT_EQ(root->FindChildById(4, 7), enclosure);
  EXPECT_EQ(root->FindChildById(4, 27), nullptr);
  EXPECT_EQ(root->FindChildById(0, 28), nullptr);  // direct children only
  EXPECT_EQ(root->FindDescendantById(0, 28), master);
  EXPECT_EQ(root->FindDescendantById(0, 27), channel);
}

TEST_F(DropList, GetPropertyRunsTheHookAndFallsBackWithoutIt) {
  ComPtr<TestNode> node(TestNode::Make(nullptr, "n"));
  node->SetIntProperty("live", kChanging, 0);
  EXPECT_EQ(node->GetProperty("live"), "1");
  EXPECT_EQ(node->gets, 1);
  EXPECT_EQ(node->GetProperty("missing", "dflt"), "dflt");
  EXPECT_EQ(node->gets, 1);
}

}  // namespace
}  // namespace swkv::test
