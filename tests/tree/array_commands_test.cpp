// The controller's "CreateArray", "DeleteArray" and "ConvArray" as the agent invokes them.
#include <gmock/gmock.h>

#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// "Old" mirrors disks 0 and 1 (logical 0), "Grow" spans disk 2 (logical 1), disks 3 to 5 are
// free; the second controller has two free disks.
class ArrayCommandsTest : public TreeTest {
 protected:
  void SetUp() override {
    Load(Scenario("commands"));
    Build();
    controller = At("HBA1");
    d.clear();
    for (int disk = 0; disk < 6; ++disk)  // the disks' handle addresses, by disk number
      d.push_back(HandleAddress(
          At("HBA1/ch" + std::to_string(disk / 2 + 1) + (disk % 2 ? "/slave" : "/master")).get()));
    grow = HandleAddress(At("HBA1/Grow").get());
    other = HandleAddress(At("HBA2/ch1/master").get());
  }
  // Invokes the action on HBA1; true when the controller refreshed its arrays meanwhile.
  bool Refreshes(const char* action, const std::string& argument) {
    const std::int64_t before = Calls("raEnumerateAllArrays");
    EXPECT_EQ(Invoke(controller.get(), action, argument), S_OK);
    return Calls("raEnumerateAllArrays") > before;
  }
  std::vector<std::string> Arrays() { return Links(controller.get(), "25"); }

  ComPtr<IRiver> controller;
  std::vector<std::string> d;
  std::string grow, other;
};

TEST_F(ArrayCommandsTest, CreateArrayPassesTheExactValuesAndTheArrayAppears) {
  LibraryTrace trace;
  SetUp();  // the controllers and the tree anew, traced
  NotificationLog log;
  log.Watch(controller.get(), "controller");
  EXPECT_TRUE(Refreshes("CreateArray", "Data@RAID1(MIRROR)@2@" + d[3] + "@" + d[4] + "@64"));
  EXPECT_THAT(trace.Calls("raCreateArray"),
              ElementsAre(R"(raCreateArray("Data", 1, 2, [3 4], 64) = 0)"));
  EXPECT_THAT(log.entries, ElementsAre("controller:0x2002"));
  EXPECT_THAT(Arrays(), ElementsAre("Old", "Grow", "Data"));
  auto data = At("HBA1/Data");
  EXPECT_EQ(Get(data.get(), "RAID_Mode") + " " + Get(data.get(), "Block Size"),
            "MIRRORING 32 (kb)");
  EXPECT_THAT(Links(data.get(), "28"), ElementsAre("disk4", "disk5"));
  // An empty name: the array is numbered by its place in the list.
  EXPECT_TRUE(Refreshes("CreateArray", "@SPAN@1@" + d[5] + "@0"));
  EXPECT_THAT(Arrays(), ElementsAre("Old", "Grow", "Data", "Ary4"));
}

TEST_F(ArrayCommandsTest, CreationsRefusedBeforeOrByTheLibraryStillRefresh) {
  const std::string pair = "@" + d[3] + "@" + d[4] + "@64";
  std::string nine = "Data@RAID0(STRIPING)@9";
  for (int i = 0; i < 9; ++i) nine += "@" + d[3 + i % 3];
  const std::string refused[] = {
      "",
      "Data",
      "Data@RAID1(MIRROR)",
      "Data@RAID1(MIRROR)@2",
      "Data@RAID1(MIRROR)@2@" + d[3],
      "Data@RAID1(MIRROR)@2@" + d[3] + "@" + d[4],  // no separator before the last value
      "data@raid1(mirror)@2" + pair,
      "Data@@2" + pair,
      "Data@RAID1(MIRROR)@" + pair,
      "Data@RAID1(MIRROR)@0" + pair,
      "Data@RAID1(MIRROR)@256" + pair,
      nine + "@64",
      "Data@RAID1(MIRROR)@2@0@" + d[4] + "@64",
      "Data@RAID1(MIRROR)@2@" + d[3] + "@" + grow + "@64",
      "Data@RAID1(MIRROR)@2@" + d[3] + "@" + other + "@64"};
  for (const std::string& argument : refused)
    EXPECT_TRUE(Refreshes("CreateArray", argument)) << argument;
  EXPECT_EQ(Calls("raCreateArray"), 0);
  // Refused by the library (disks in use, or a failure): no notification.
  NotificationLog log;
  log.Watch(controller.get(), "controller");
  EXPECT_TRUE(Refreshes("CreateArray", "X@RAID1(MIRROR)@2@" + d[0] + "@" + d[1] + "@0"));
  simFailCall("raCreateArray", -1, 0, 9);
  EXPECT_TRUE(Refreshes("CreateArray", "X@RAID1(MIRROR)@2@" + d[3] + "@" + d[4] + "@0"));
  EXPECT_EQ(Calls("raCreateArray"), 2);
  EXPECT_THAT(log.entries, IsEmpty());
  EXPECT_THAT(Arrays(), ElementsAre("Old", "Grow"));
  // The second controller's own disks do for it.
  simClearFaults();
  Invoke(At("HBA2").get(), "CreateArray",
         "E@RAID1(MIRROR)@2@" + other + "@" + HandleAddress(At("HBA2/ch1/slave").get()) + "@0");
  EXPECT_TRUE(At("HBA2/E"));
}

TEST_F(ArrayCommandsTest, DeleteArrayNotifiesTheArrayThenTheControllerAndUnlinksIt) {
  ComPtr<IRiver> old = At("HBA1/Old");
  NotificationLog log;
  log.Watch(old.get(), "array");
  log.Watch(controller.get(), "controller");
  for (const std::string& argument : {std::string(), std::string("0"), d[0], other})
    EXPECT_FALSE(Refreshes("DeleteArray", argument)) << argument;
  simFailCall("raDeleteArray", -1, 0, 9);
  EXPECT_FALSE(Refreshes("DeleteArray", HandleAddress(old.get())));
  EXPECT_THAT(log.entries, IsEmpty());
  simClearFaults();
  EXPECT_TRUE(Refreshes("DeleteArray", HandleAddress(old.get())));
  EXPECT_EQ(Calls("raDeleteArray"), 2);
  EXPECT_THAT(log.entries, ElementsAre("array:0x2001", "controller:0x2002"));
  EXPECT_THAT(Arrays(), ElementsAre("Grow"));
  EXPECT_FALSE(At("HBA1/Old"));
  EXPECT_EQ(Get(old.get(), "name"), "Old") << "the agent's reference keeps the node";
}

TEST_F(ArrayCommandsTest, ConvertSpanPauseResumeAndStop) {
  LibraryTrace trace;
  SetUp();  // the controllers and the tree anew, traced
  auto array = At("HBA1/Grow");
  EXPECT_TRUE(Refreshes("ConvArray", "512@" + grow + "@SPAN@256@2@" + d[2] + "@" + d[3]));
  EXPECT_EQ(Get(array.get(), "Status") + " " + Get(array.get(), "ThrottleStatus"), "768 1");
  EXPECT_TRUE(Refreshes("ConvArray", "1024@" + grow));
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "4");
  EXPECT_TRUE(Refreshes("ConvArray", "256@" + grow));
  EXPECT_EQ(Get(array.get(), "ThrottleStatus"), "1");
  // Without a block size the array's own (128 sectors) stands in.
  EXPECT_THAT(trace.Calls("raExpanConv"), ElementsAre("raExpanConv(1, 3, 2, [2 3], 256, 0) = 0",
                                                      "raExpanConv(1, -1, 0, [], 128, 3) = 0",
                                                      "raExpanConv(1, -1, 0, [], 128, 5) = 0"));
  simAdvanceClock(100000);
  array->refresh();
  Invoke(array.get(), "GUI_Status");
  EXPECT_EQ(Get(array.get(), "Size"), "976 MB") << "spanning both disks";
  EXPECT_EQ(Get(array.get(), "Block Size"), "128 (kb)");
  EXPECT_THAT(Links(array.get(), "28"), ElementsAre("disk3", "disk4"));
  // Stopped, the array keeps its old layout and the throttle is what the library reports.
  EXPECT_TRUE(Refreshes("ConvArray", "512@" + grow + "@RAID0(STRIPING)@0@2@" + d[2] + "@" + d[3]));
  EXPECT_EQ(Get(array.get(), "Status"), "768");
  EXPECT_TRUE(Refreshes("ConvArray", "2048@" + grow));
  EXPECT_EQ(Get(array.get(), "RAID_Mode") + " " + Get(array.get(), "ThrottleStatus"), "SPANNING 2");
}

TEST_F(ArrayCommandsTest, ConversionsThatDoNotParseCallNothing) {
  std::string nine = "512@" + grow + "@SPAN@0@9";
  for (int i = 0; i < 9; ++i) nine += "@" + d[2];
  const std::string refreshed[] = {"512@" + grow + "@SPAN",
                                   "512@" + grow + "@SPAN@0",
                                   "512@" + grow + "@SPAN@0@2@" + d[2],
                                   nine,
                                   "512@" + grow + "@SPAN@0@-1",
                                   "512@" + grow + "@SPAN@0@2@" + d[2] + "@" + other,
                                   "0@" + grow,
                                   "zero@" + grow};
  for (const std::string& argument : refreshed)
    EXPECT_TRUE(Refreshes("ConvArray", argument)) << argument;
  for (const std::string& argument : {std::string("512"), std::string("512@0"), "512@" + d[2]})
    EXPECT_FALSE(Refreshes("ConvArray", argument)) << argument;
  EXPECT_EQ(Calls("raExpanConv"), 0);
  simFailCall("raExpanConv", -1, 0, 9);
  EXPECT_TRUE(Refreshes("ConvArray", "1024@" + grow));
  EXPECT_EQ(Calls("raExpanConv"), 1);
  EXPECT_EQ(Get(At("HBA1/Grow").get(), "ThrottleStatus"), "2");
}

TEST_F(ArrayCommandsTest, WithoutTheControllerNoActionReachesTheLibrary) {
  ResetSelection();
  simFailCall("raInitialize", -1, 0, 9);
  Invoke(controller.get(), "CreateArray", "X@SPAN@1@" + d[3] + "@0");
  Invoke(controller.get(), "DeleteArray", grow);
  Invoke(controller.get(), "ConvArray", "1024@" + grow);
  EXPECT_EQ(Calls("raCreateArray") + Calls("raDeleteArray") + Calls("raExpanConv"), 0);
}

}  // namespace
}  // namespace swkv::test
