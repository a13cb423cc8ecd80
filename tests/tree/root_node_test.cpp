// The root node: controller discovery, its four kinds of entries, and its version check.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/win.h"
#include "tests/resources/test_modules.h"
#include "tests/tree/tree_helpers.h"
#include "events/polled_nodes.h"
#include "tree/file_version_info.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;

constexpr const char* kOneController = R"({"controllers": [{"info": {"irq": 11}}]})";
constexpr const char* kTwoControllers =
    R"({"controllers": [{"info": {"irq": 11}}, {"info": {"irq": 10}}]})";

class RootTest : public ControllerTest {};

TEST_F(RootTest, ControllersAreCountedAndDiscoveryStopsAtTwo) {
  Start(kOneController);
  EXPECT_EQ(ControllerCount(), 1);
  root.reset();
  Start(kTwoControllers);
  EXPECT_EQ(ControllerCount(), 2);
  EXPECT_EQ(Get(At("HBA2").get(), "IRQ"), "10");
  EXPECT_EQ(RootNode::DiscoverControllers(), 2);
}

TEST_F(RootTest, WithoutControllerZeroNothingIsDiscovered) {
  Load(kTwoControllers);
  ASSERT_EQ(simFailCall("raInitialize", 0, 0, 9), 0);
  BuildCounting();
  EXPECT_THAT(Names(root.get()), ElementsAre("handle", "FileVersion", "Type"));
  EXPECT_EQ(ControllerCount(), 0);
  // Only consecutive indices from 0 count: index 1 is never tried.
  EXPECT_EQ(Calls("raInitialize", 1), 0);
  EXPECT_TRUE(ControllerNodeList().empty());
}

TEST_F(RootTest, AControllerThatCannotBeOpenedAgainIsSkipped) {
  Load(kTwoControllers);
  // The first open of index 0 is discovery's; the second is the one that makes its node.
  ASSERT_EQ(simFailCall("raInitialize", 0, 2, 9), 0);
  Build();
  EXPECT_THAT(Names(root.get()), ElementsAre("handle", "HBA2", "FileVersion", "Type"));
  EXPECT_EQ(ControllerCount(), 2);
  EXPECT_EQ(Get(At("HBA2").get(), "IRQ"), "10");
  EXPECT_EQ(ControllerNodeList().size(), 1u);
}

TEST_F(RootTest, AControllerNodeMadeWithNothingOpenIsNotLinked) {
  Start(kOneController);
  ResetSelection();
  ControllerNode* node = ControllerNode::New();
  node->AddRef();
  EXPECT_EQ(node->CreateController(nullptr, "HBA9"), 1);
  EXPECT_FALSE(node->initialised());
  EXPECT_EQ(root->AddChild(node, nullptr), 0);
  EXPECT_EQ(node->Release(), 0u);
  EXPECT_EQ(ControllerNodeList().size(), 1u);
}

TEST_F(RootTest, RefreshChangesNothingAndNotifiesNobody) {
  Start(kTwoControllers);
  auto before = Dir(root.get());
  ComPtr<RecordingSink> sink = Watch("");
  ComPtr<RecordingSink> controllerSink = Watch("HBA1");
  EXPECT_EQ(root->refresh(), S_OK);
  EXPECT_EQ(Dir(root.get()), before);
  EXPECT_TRUE(sink->codes.empty());
  EXPECT_TRUE(controllerSink->codes.empty());
  EXPECT_EQ(Calls("raInitialize"), 0);
  EXPECT_EQ(Calls("raGetMaxChannelsPerAdapter"), 0);
}

TEST(FileVersion, OnlyTheTranslationsOfAVersionedModuleHaveIt) {
  const char* text = nullptr;
  UINT length = 0;
  for (const std::string& path :
       {ModulePath(SwkvTestPlainModule()), std::string("/no/such/module/file")}) {
    FileVersionInfo info(path.c_str());
    EXPECT_FALSE(info.valid()) << path;
    EXPECT_FALSE(info.QueryVersionString("FileVersion", &text, &length, 0)) << path;
    EXPECT_EQ(text, nullptr);
  }
  FileVersionInfo versioned(ModulePath(SwkvTestVersionedModule()).c_str());
  ASSERT_TRUE(versioned.valid());
  ASSERT_GE(versioned.translation_count(), 1u);
  ASSERT_TRUE(versioned.QueryVersionString("FileVersion", &text, &length, 0));
  EXPECT_STREQ(text, "1.0.0001 Build 1");
  EXPECT_FALSE(versioned.QueryVersionString("NoSuchString", &text, &length, 0));
  EXPECT_FALSE(versioned.QueryVersionString(nullptr, &text, &length, 0));
  EXPECT_FALSE(versioned.QueryVersionString("FileVersion", &text, &length,
                                            versioned.translation_count()));
}

}  // namespace
}  // namespace swkv::test
