// The controller selection against the simulated library: which calls it makes, what it
// records, and what the library has open afterwards.
#include "raidlib/selection.h"

#include <gtest/gtest.h>

#include "sim/sim_control.h"

namespace swkv {
namespace {

class SelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSelection();
    ASSERT_EQ(simReset(), 0) << simLastError();  // the default scenario: two controllers
    simResetCallCounts();
  }
  int64_t Calls(const char* function, int32_t controller = -1) {
    return simCallCount(function, controller);
  }
};

TEST_F(SelectionTest, FirstSelectionOpensTheLibrary) {
  EXPECT_EQ(CurrentController(), kNoController);
  EXPECT_EQ(SelectionPointer(), nullptr);
  ASSERT_TRUE(SelectController(0));
  // Nothing was open: the terminate before the open finds nothing to close.
  EXPECT_EQ(Calls("raTerminate"), 1);
  EXPECT_EQ(Calls("raInitialize", 0), 1);
  EXPECT_EQ(simOpenController(), 0);
  EXPECT_EQ(CurrentController(), 0);
  ASSERT_NE(SelectionPointer(), nullptr);
  EXPECT_EQ(*SelectionPointer(), 0);
  EXPECT_EQ(LastStatus(), 0);

  ASSERT_TRUE(SelectController(0));
  EXPECT_EQ(Calls("raInitialize"), 1) << "the current controller is not opened again";
  EXPECT_EQ(Calls("raTerminate"), 1);
}

TEST_F(SelectionTest, SwitchingClosesTheOpenControllerAndOpensTheOther) {
  ASSERT_TRUE(SelectController(0));
  int32_t* first = SelectionPointer();
  ASSERT_TRUE(SelectController(1));
  EXPECT_EQ(Calls("raTerminate", 0), 1) << "controller 0 was closed";
  EXPECT_EQ(Calls("raInitialize", 1), 1);
  EXPECT_EQ(simOpenController(), 1);
  EXPECT_EQ(CurrentController(), 1);
  EXPECT_EQ(*SelectionPointer(), 1);
  EXPECT_EQ(*first, 0) << "each index has its own slot";

  ASSERT_TRUE(SelectController(0));
  EXPECT_EQ(SelectionPointer(), first) << "the slots live as long as the process";
  EXPECT_EQ(simOpenController(), 0);
}

TEST_F(SelectionTest, FailedOpenRecordsTheStatusAndKeepsTheCurrentIndex) {
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(simFailCall("raInitialize", 1, 0, 7), 0);
  EXPECT_FALSE(SelectController(1));
  EXPECT_EQ(LastStatus(), 7);
  EXPECT_EQ(CurrentController(), 0);
  // The library closed controller 0 before the failed open: selecting 0 opens it again.
  EXPECT_EQ(simOpenController(), -1);
  simClearFaults();
  ASSERT_TRUE(SelectController(0));
  EXPECT_EQ(simOpenController(), 0);
}

TEST_F(SelectionTest, SelectingAfterAnOpenBehindTheCurrentControllerReachesTheRightController) {
  // The polling pass opens each controller in turn without changing the current index.
  ASSERT_TRUE(SelectController(0));
  ASSERT_EQ(OpenController(1), 0);
  EXPECT_EQ(CurrentController(), 0);
  ASSERT_TRUE(SelectController(0));
  EXPECT_EQ(simOpenController(), 0) << "a node of controller 0 must not read controller 1";
  int64_t opens = Calls("raInitialize");
  ASSERT_TRUE(SelectController(0));
  EXPECT_EQ(Calls("raInitialize"), opens) << "open and current: nothing to do";
}

TEST_F(SelectionTest, IndicesOutsideTheTwoControllersCallNothing) {
  SetLastStatus(3);
  EXPECT_FALSE(SelectController(2));
  EXPECT_FALSE(SelectController(-1));
  EXPECT_FALSE(SelectController(kNoController));
  EXPECT_EQ(OpenController(5), -1);
  EXPECT_EQ(Calls("raInitialize"), 0);
  EXPECT_EQ(Calls("raTerminate"), 0);
  EXPECT_EQ(LastStatus(), 3);
  EXPECT_EQ(CurrentController(), kNoController);
}

TEST_F(SelectionTest, OpenWithoutTerminateLeavesTheCurrentControllerToTheCaller) {
  // As discovery does: open 0, record it, open 1, record it; no terminate in between.
  ASSERT_EQ(OpenController(0), 0);
  EXPECT_EQ(CurrentController(), kNoController);
  SetCurrentController(0);
  ASSERT_EQ(OpenController(1), 0);
  SetCurrentController(1);
  EXPECT_EQ(Calls("raTerminate"), 0);
  EXPECT_EQ(simOpenController(), 1);
  ASSERT_TRUE(SelectController(1));
  EXPECT_EQ(Calls("raInitialize"), 2);

  // A third controller does not exist: the open fails and its status is recorded.
  ASSERT_EQ(simLoadScenarioText(R"({"controllers":[{}]})"), 0);
  EXPECT_NE(OpenController(1), 0);
  EXPECT_NE(LastStatus(), 0);
  EXPECT_EQ(RecordStatus(0), 0);
  EXPECT_EQ(LastStatus(), 0);
}

}  // namespace
}  // namespace swkv
