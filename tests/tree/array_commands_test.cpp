// The controller's "CreateArray", "DeleteArray" and "ConvArray" as the agent invokes them: what
// reaches the library, what is refused before it, the notifications and the refreshed tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/tree_fixture.h"
#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

// "Old" mirrors disks 0 and 1 (logical 0), "Grow" spans disk 2 (logical 1); disks 3 to 5 are
// free. The second controller has two free disks.
constexpr const char* kCommands = R"({"controllers":[
 {"activitySeconds":100,"settings":{"hotSpares":0},"disks":[
  {"disk":0,"model":"D0","sectors":1000000},{"disk":1,"model":"D1","sectors":1000000},
  {"disk":2,"model":"D2","sectors":1000000},{"disk":3,"model":"D3","sectors":1000000},
  {"disk":4,"model":"D4","sectors":1000000},{"disk":5,"model":"D5","sectors":1000000}],
  "arrays":[{"name":"Old","mode":"mirroring","members":[0,1]},
            {"name":"Grow","mode":"spanning","members":[2]}]},
 {"disks":[{"disk":0,"model":"E0"},{"disk":1,"model":"E1"}]}]})";

class ArrayCommandsTest : public TreeTest {
 protected:
  void SetUp() override {
    Load(kCommands);
    Build();
    controller = At("HBA1");
    // The disks' handles, by disk number (channel disks: "master" even, "slave" odd).
    for (int disk = 0; disk < 6; ++disk) {
      std::string path = "HBA1/ch" + std::to_string(disk / 2 + 1) + (disk % 2 ? "/slave" : "/master");
      handles.push_back(HandleAddress(At(path).get()));
    }
  }
  std::vector<std::string> Arrays() const {
    std::vector<std::string> arrays;
    for (const std::string& entry : Dir(controller.get()))
      if (entry.size() > 7 && entry.ends_with("@o--@25")) arrays.push_back(entry.substr(0, entry.find('@')));
    return arrays;
  }
  // Invokes the action and reports whether the controller refreshed its arrays meanwhile.
  bool InvokeRefreshes(const char* action, const std::string& argument) {
    const std::int64_t before = Calls("raEnumerateAllArrays");
    EXPECT_EQ(Invoke(controller.get(), action, argument), S_OK);
    return Calls("raEnumerateAllArrays") > before;
  }
  static std::string Disks(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string& part : parts) text += part + "@";
    return text;
  }

  ComPtr<IRiver> controller;
  std::vector<std::string> handles;
};

TEST_F(ArrayCommandsTest, CreateArrayPassesTheExactValuesAndTheArrayAppears) {
  LibraryTrace trace;
  Load(kCommands);
  Build();
  controller = At("HBA1");
  NotificationLog log;
  log.Watch(controller.get(), "controller");
  const std::string disk3 = HandleAddress(At("HBA1/ch2/slave").get());
  const std::string disk4 = HandleAddress(At("HBA1/ch3/master").get());
  EXPECT_TRUE(InvokeRefreshes("CreateArray", "Data@RAID1(MIRROR)@2@" + disk3 + "@" + disk4 + "@64"));
  EXPECT_THAT(trace.Calls("raCreateArray"), ElementsAre(R"(raCreateArray("Data", 1, 2, [3 4], 64) = 0)"));
  EXPECT_THAT(log.entries, ElementsAre("controller:0x2002"));
  EXPECT_THAT(Arrays(), ElementsAre("Old", "Grow", "Data"));
  auto data = At("HBA1/Data");
  EXPECT_EQ(Get(data.get(), "RAID_Mode"), "MIRRORING");
  EXPECT_EQ(Get(data.get(), "Block Size"), "32 (kb)");
  EXPECT_EQ(Names(data.get())[0], "disk4");
  EXPECT_EQ(Names(data.get())[1], "disk5");
}

TEST_F(ArrayCommandsTest, EveryModeNameAndAnEmptyNameCreate) {
  EXPECT_TRUE(InvokeRefreshes("CreateArray", "@SPAN@1@" + handles[3] + "@0"));
  EXPECT_THAT(Arrays(), ElementsAre("Old", "Grow", "Ary3")) << "an unnamed array is numbered";
  EXPECT_EQ(Get(At("HBA1/Ary3").get(), "RAID_Mode"), "SPANNING");
  EXPECT_TRUE(InvokeRefreshes("CreateArray", "Z@RAID0(STRIPING)@2@" + handles[4] + "@" +
                                                 handles[5] + "@0"));
  EXPECT_EQ(Get(At("HBA1/Z").get(), "RAID_Mode"), "STRIPING");
  EXPECT_EQ(Calls("raCreateArray", 0), 2);
}

TEST_F(ArrayCommandsTest, ArgumentsThatDoNotParseCreateNothingButStillRefresh) {
  const std::string& a = handles[3];
  const std::string& b = handles[4];
  const std::string otherController = HandleAddress(At("HBA2/ch1/master").get());
  const std::string array = HandleAddress(At("HBA1/Old").get());
  const std::string refused[] = {
      "",
      "Data",
      "Data@RAID1(MIRROR)",
      "Data@RAID1(MIRROR)@2",
      "Data@RAID1(MIRROR)@2@" + a,
      "Data@RAID1(MIRROR)@2@" + a + "@" + b,            // no separator before the last value
      "data@raid1(mirror)@2@" + a + "@" + b + "@64",    // mode names are case-sensitive
      "Data@RAID1(MIRROR) @2@" + a + "@" + b + "@64",
      "Data@@2@" + a + "@" + b + "@64",
      "Data@RAID1(MIRROR)@@" + a + "@" + b + "@64",
      "Data@RAID1(MIRROR)@0@" + a + "@" + b + "@64",
      "Data@RAID1(MIRROR)@256@" + a + "@" + b + "@64",  // the count is 8 bits: 256 is 0
      "Data@RAID1(MIRROR)@9@" + Disks({a, b, a, b, a, b, a, b, a}) + "64",
      "Data@RAID1(MIRROR)@2@0@" + b + "@64",
      "Data@RAID1(MIRROR)@2@" + a + "@" + array + "@64",
      "Data@RAID1(MIRROR)@2@" + a + "@" + otherController + "@64",
  };
  for (const std::string& argument : refused) {
    EXPECT_TRUE(InvokeRefreshes("CreateArray", argument)) << argument;
    EXPECT_EQ(Calls("raCreateArray"), 0) << argument;
  }
  EXPECT_THAT(Arrays(), ElementsAre("Old", "Grow"));
  // The second controller takes its own disks, and creates there.
  auto second = At("HBA2");
  Invoke(second.get(), "CreateArray",
         "E@RAID1(MIRROR)@2@" + otherController + "@" + HandleAddress(At("HBA2/ch1/slave").get()) + "@0");
  EXPECT_EQ(Calls("raCreateArray", 1), 1);
  EXPECT_TRUE(At("HBA2/E"));
}

TEST_F(ArrayCommandsTest, CreationTheLibraryRefusesOnlyRefreshes) {
  NotificationLog log;
  log.Watch(controller.get(), "controller");
  // Disks 0 and 1 belong to "Old".
  EXPECT_TRUE(InvokeRefreshes("CreateArray", "X@RAID1(MIRROR)@2@" + handles[0] + "@" + handles[1] + "@0"));
  EXPECT_EQ(Calls("raCreateArray"), 1);
  simFailCall("raCreateArray", -1, 0, 9);
  EXPECT_TRUE(InvokeRefreshes("CreateArray", "X@RAID1(MIRROR)@2@" + handles[3] + "@" + handles[4] + "@0"));
  EXPECT_EQ(Calls("raCreateArray"), 2);
  EXPECT_THAT(log.entries, IsEmpty());
  EXPECT_THAT(Arrays(), ElementsAre("Old", "Grow"));
}

TEST_F(ArrayCommandsTest, DeleteArrayNotifiesTheArrayThenTheControllerAndUnlinksIt) {
  ComPtr<IRiver> old = At("HBA1/Old");
  NotificationLog log;
  log.Watch(old.get(), "array");
  log.Watch(controller.get(), "controller");
  EXPECT_TRUE(InvokeRefreshes("DeleteArray", HandleAddress(old.get())));
  EXPECT_EQ(Calls("raDeleteArray", 0), 1);
  EXPECT_THAT(log.entries, ElementsAre("array:0x2001", "controller:0x2002"));
  EXPECT_THAT(Arrays(), ElementsAre("Grow"));
  EXPECT_FALSE(At("HBA1/Old"));
  EXPECT_EQ(Get(old.get(), "name"), "Old") << "the agent's reference keeps the node";
  // Disks 0 and 1 are free again.
  EXPECT_TRUE(InvokeRefreshes("CreateArray", "New@RAID1(MIRROR)@2@" + handles[0] + "@" + handles[1] + "@0"));
  EXPECT_THAT(Arrays(), ElementsAre("Grow", "New"));
}

TEST_F(ArrayCommandsTest, DeleteArrayOfNoArrayOrRefusedDoesNothing) {
  NotificationLog log;
  log.Watch(At("HBA1/Old").get(), "array");
  log.Watch(controller.get(), "controller");
  for (const std::string& argument :
       {std::string(), std::string("0"), handles[0], HandleAddress(At("HBA2/ch1/master").get()),
        HandleAddress(controller.get())}) {
    EXPECT_FALSE(InvokeRefreshes("DeleteArray", argument)) << argument;
  }
  EXPECT_EQ(Calls("raDeleteArray"), 0);
  simFailCall("raDeleteArray", -1, 0, 9);
  EXPECT_FALSE(InvokeRefreshes("DeleteArray", HandleAddress(At("HBA1/Old").get())));
  EXPECT_EQ(Calls("raDeleteArray"), 1);
  EXPECT_THAT(log.entries, IsEmpty());
  EXPECT_THAT(Arrays(), ElementsAre("Old", "Grow"));
}

TEST_F(ArrayCommandsTest, ConvertSpanPauseResumeAndStop) {
  LibraryTrace trace;
  Load(kCommands);
  Build();
  controller = At("HBA1");
  auto grow = At("HBA1/Grow");
  const std::string array = HandleAddress(grow.get());
  const std::string disk2 = HandleAddress(At("HBA1/ch2/master").get());
  const std::string disk3 = HandleAddress(At("HBA1/ch2/slave").get());

  EXPECT_TRUE(InvokeRefreshes("ConvArray", "512@" + array + "@SPAN@0@2@" + disk2 + "@" + disk3));
  EXPECT_EQ(Get(grow.get(), "Status"), "768");
  EXPECT_EQ(Get(grow.get(), "ThrottleStatus"), "1");
  // Paused with no target and no disks; the array's own block size stands in for the missing
  // one.
  EXPECT_TRUE(InvokeRefreshes("ConvArray", "1024@" + array));
  EXPECT_EQ(Get(grow.get(), "ThrottleStatus"), "4");
  EXPECT_TRUE(InvokeRefreshes("ConvArray", "256@" + array));
  EXPECT_EQ(Get(grow.get(), "ThrottleStatus"), "1");
  EXPECT_THAT(trace.Calls("raExpanConv"),
              ElementsAre("raExpanConv(1, 3, 2, [2 3], 0, 0) = 0",
                          "raExpanConv(1, -1, 0, [], 128, 3) = 0",
                          "raExpanConv(1, -1, 0, [], 128, 5) = 0"));
  // Done: the array spans both disks.
  simAdvanceClock(100000);
  grow->refresh();
  Invoke(grow.get(), "GUI_Status");
  EXPECT_EQ(Get(grow.get(), "Status"), "0");
  EXPECT_THAT(Names(grow.get()), testing::IsSupersetOf({"disk3", "disk4"}));
  EXPECT_EQ(Get(grow.get(), "Size"), "976 MB");

  // A conversion to striping, stopped: the stop leaves the throttle to what the library says.
  EXPECT_TRUE(InvokeRefreshes("ConvArray", "512@" + array + "@RAID0(STRIPING)@0@2@" + disk2 + "@" + disk3));
  EXPECT_EQ(Get(grow.get(), "Status"), "768");
  EXPECT_TRUE(InvokeRefreshes("ConvArray", "2048@" + array));
  EXPECT_EQ(Get(grow.get(), "Status"), "0");
  EXPECT_EQ(Get(grow.get(), "ThrottleStatus"), "2");
  EXPECT_EQ(Get(grow.get(), "RAID_Mode"), "SPANNING");
}

TEST_F(ArrayCommandsTest, ConversionsThatDoNotParseCallNothing) {
  auto grow = At("HBA1/Grow");
  const std::string array = HandleAddress(grow.get());
  const std::string& a = handles[3];
  const std::string otherController = HandleAddress(At("HBA2/ch1/master").get());
  // A known array with fields missing or naming no disk of this controller: refreshed.
  const std::string refused[] = {
      "512@" + array + "@SPAN",
      "512@" + array + "@SPAN@0",
      "512@" + array + "@SPAN@0@2@" + handles[2],
      "512@" + array + "@SPAN@0@9@" + Disks({a, a, a, a, a, a, a, a}) + a,
      "512@" + array + "@SPAN@0@-1",
      "512@" + array + "@SPAN@0@2@" + handles[2] + "@" + otherController,
      "512@" + array + "@SPAN@0@2@" + handles[2] + "@0",
      "0@" + array,
      "zero@" + array,
  };
  for (const std::string& argument : refused) {
    EXPECT_TRUE(InvokeRefreshes("ConvArray", argument)) << argument;
  }
  // No array: not even a refresh.
  for (const std::string& argument :
       {std::string("512"), std::string("512@"), std::string("512@0"), "512@" + a,
        "512@" + HandleAddress(controller.get())}) {
    EXPECT_FALSE(InvokeRefreshes("ConvArray", argument)) << argument;
  }
  EXPECT_EQ(Calls("raExpanConv"), 0);
  // Refused by the library: the throttle stays.
  simFailCall("raExpanConv", -1, 0, 9);
  EXPECT_TRUE(InvokeRefreshes("ConvArray", "1024@" + array));
  EXPECT_EQ(Calls("raExpanConv"), 1);
  EXPECT_EQ(Get(grow.get(), "ThrottleStatus"), "2");
}

TEST_F(ArrayCommandsTest, WithoutTheControllerNoActionReachesTheLibrary) {
  const std::string array = HandleAddress(At("HBA1/Grow").get());
  ResetSelection();
  simFailCall("raInitialize", -1, 0, 9);
  Invoke(controller.get(), "CreateArray", "X@SPAN@1@" + handles[3] + "@0");
  Invoke(controller.get(), "DeleteArray", array);
  Invoke(controller.get(), "ConvArray", "1024@" + array);
  EXPECT_EQ(Calls("raCreateArray") + Calls("raDeleteArray") + Calls("raExpanConv") +
                Calls("raEnumerateAllArrays"),
            0);
  simClearFaults();
  EXPECT_THAT(Arrays(), ElementsAre("Old", "Grow"));
}

}  // namespace
}  // namespace swkv::test
