// Creating, deleting and renaming arrays: what the simulated controller accepts, refuses and
// reports afterwards.
#include <cstring>

#include "sim_fixture.h"

namespace swkv::test {
namespace {

class ArrayConfigurationTest : public SimTest {};

TEST_F(ArrayConfigurationTest, CreateRefusesWhatNoControllerWouldBuild) {
  Load(Scenario{});
  Apply(R"({"disk":5,"do":"fail"})");
  EventCodes();
  NeedUpdate();
  std::string longName(64, 'n');
  struct Case {
    const char* what;
    const char* name;
    int32_t mode;
    std::vector<uint8_t> disks;
    int32_t block;
    int32_t status;
  } cases[] = {
      {"unknown mode", "A", 6, {0, 1}, 0, SIM_E_ARGUMENT},
      {"mirror of three", "A", kMirroring, {0, 1, 2}, 0, SIM_E_ARGUMENT},
      {"parity of two", "A", kDistParity, {0, 1}, 0, SIM_E_ARGUMENT},
      {"stripe-mirror of five", "A", kStripeMirroring, {0, 1, 2, 3, 4}, 0, SIM_E_ARGUMENT},
      {"stripe of one", "A", kStriping, {0}, 0, SIM_E_ARGUMENT},
      {"a disk twice", "A", kStriping, {0, 0}, 0, SIM_E_ARGUMENT},
      {"disk number 9", "A", kStriping, {0, 9}, 0, SIM_E_ARGUMENT},
      {"absent disk", "A", kSpanning, {6}, 0, SIM_E_NO_OBJECT},
      {"failed disk", "A", kSpanning, {5}, 0, SIM_E_STATE},
      {"block not a power of two", "A", kStriping, {0, 1}, 100, SIM_E_ARGUMENT},
      {"negative block", "A", kStriping, {0, 1}, -8, SIM_E_ARGUMENT},
      {"block above 1 MB", "A", kStriping, {0, 1}, 4096, SIM_E_ARGUMENT},
      {"64-character name", longName.c_str(), kStriping, {0, 1}, 0, SIM_E_ARGUMENT},
      {"no name", nullptr, kStriping, {0, 1}, 0, SIM_E_ARGUMENT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Create(c.name, c.mode, c.disks, c.block), c.status) << c.what;
  }
  EXPECT_TRUE(Arrays().empty());
  EXPECT_TRUE(EventCodes().empty());
  EXPECT_EQ(NeedUpdate(), 0);

  ASSERT_EQ(Create("M", kMirroring, {0, 1}), kOk);
  EXPECT_EQ(Create("S", kStriping, {1, 2}), SIM_E_STATE) << "disk 1 is in use";
  EXPECT_EQ(Arrays().size(), 1u);
  EXPECT_EQ(raExpanConv(0, kMirroring, 1, nullptr, 0, kStart), SIM_E_ARGUMENT) << "no disk list";
}

TEST_F(ArrayConfigurationTest, CreatedArrayShowsItsLayoutAndIsAnnounced) {
  Load(R"({"controllers":[{"disks":[
      {"disk":0,"model":"A","sectors":1000000},
      {"disk":2,"model":"B","sectors":1200000},
      {"disk":5,"model":"C","sectors":1100000}]}]})");
  ASSERT_EQ(Create("Data", kDistParity, {0, 2, 5}, 64), kOk);

  ASSERT_EQ(Arrays(), std::vector<uint32_t>{0});
  int32_t mode = -1, members = 0;
  uint32_t block = 0;
  ASSERT_EQ(raGetArrayDescription(0, &mode, &members, &block), kOk);
  EXPECT_EQ(mode, kDistParity);
  EXPECT_EQ(members, 3);
  EXPECT_EQ(block, 64u);
  EXPECT_EQ(Members(0), (std::vector<uint32_t>{0, 2, 5}));
  // Two members' worth of the smallest disk; the rest holds parity.
  EXPECT_EQ(SizeBytes(0), 2ull * 1000000 * 512);
  RaArrayInfo info = Info(0);
  EXPECT_STREQ(info.name, "Data");
  EXPECT_EQ(info.heads, 255);
  EXPECT_EQ(info.sectorsPerTrack, 63);
  EXPECT_EQ(info.cylinders, 2000000 / (255 * 63));
  for (uint32_t d : {0u, 2u, 5u}) {
    EXPECT_EQ(Disk(d).state, kOnline);
    EXPECT_EQ(Disk(d).array, 0u);
  }

  std::vector<RaEventRecord> events = Events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].code, 27);
  EXPECT_EQ(events[0].severityClass, 2u);
  EXPECT_NE(std::strstr(events[0].text, "\"Data\""), nullptr) << events[0].text;
  EXPECT_EQ(NeedUpdate(), 1);
  EXPECT_EQ(NeedUpdate(), 0) << "reading the flag clears it";

  ASSERT_EQ(Create("", kStriping, {}, 0), SIM_E_ARGUMENT);
}

TEST_F(ArrayConfigurationTest, SizeFollowsTheMode) {
  // Disk 1 is twice the size of the others.
  Load(R"({"controllers":[{"disks":[
      {"disk":0,"model":"A","sectors":1000000},{"disk":1,"model":"B","sectors":2000000},
      {"disk":2,"model":"A","sectors":1000000},{"disk":3,"model":"A","sectors":1000000}]}]})");
  struct Case {
    int32_t mode;
    std::vector<uint8_t> disks;
    uint64_t sectors;
  } cases[] = {
      {kStriping, {0, 1}, 2000000},      {kMirroring, {0, 1}, 1000000},
      {kSpanning, {0, 1}, 3000000},      {kParity, {0, 1, 2}, 2000000},
      {kDistParity, {1, 2, 3}, 2000000}, {kStripeMirroring, {0, 1, 2, 3}, 2000000},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Create("X", c.mode, c.disks), kOk) << c.mode;
    EXPECT_EQ(SizeBytes(0), c.sectors * 512) << "mode " << c.mode;
    ASSERT_EQ(raDeleteArray(0), kOk);
  }
}

TEST_F(ArrayConfigurationTest, DeletedSlotsAreReusedButPhysicalNumbersAreNot) {
  Load(Scenario{.disks = 8});
  for (uint8_t d = 0; d < 8; ++d) ASSERT_EQ(Create("", kSpanning, {d}), kOk);
  EXPECT_EQ(Arrays(), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  const uint32_t before = Out(raMapLogicalToPhysicalArray, 3);
  ASSERT_EQ(raDeleteArray(3), kOk);
  uint32_t after = 0;
  EXPECT_EQ(raMapLogicalToPhysicalArray(3, &after), SIM_E_NO_OBJECT);
  ASSERT_EQ(Create("", kSpanning, {3}), kOk);
  EXPECT_NE(Out(raMapLogicalToPhysicalArray, 3), before)
      << "a new array must not look like the deleted one";
  std::vector<uint32_t> physical;
  for (uint32_t logical : Arrays()) physical.push_back(Out(raMapLogicalToPhysicalArray, logical));
  std::sort(physical.begin(), physical.end());
  EXPECT_EQ(std::unique(physical.begin(), physical.end()), physical.end());
}

TEST_F(ArrayConfigurationTest, DeleteFreesTheMembersButNotOfABusyArray) {
  Load(Scenario{});
  ASSERT_EQ(Create("M", kMirroring, {0, 1}), kOk);
  ASSERT_EQ(raArraySynchronize(0, kStartOrResume), kOk);
  EventCodes();
  EXPECT_EQ(raDeleteArray(0), SIM_E_STATE);
  EXPECT_EQ(Arrays().size(), 1u);

  ASSERT_EQ(raArraySynchronize(0, kStop), kOk);
  ASSERT_EQ(raDeleteArray(0), kOk);
  EXPECT_TRUE(Arrays().empty());
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{16, 28}));
  for (uint32_t d : {0u, 1u}) {
    EXPECT_EQ(Disk(d).state, kFree);
    EXPECT_EQ(Disk(d).array, kNoArray);
  }
  EXPECT_EQ(raDeleteArray(0), SIM_E_NO_OBJECT);
}

TEST_F(ArrayConfigurationTest, RenameTakesUpTo63Characters) {
  Load(Scenario{});
  ASSERT_EQ(Create("Old", kStriping, {0, 1}), kOk);
  NeedUpdate();
  std::string longest(63, 'x');
  ASSERT_EQ(raRenameArray(0, longest.c_str()), kOk);
  EXPECT_EQ(NeedUpdate(), 1);
  EXPECT_EQ(raRenameArray(0, (longest + "y").c_str()), SIM_E_ARGUMENT);
  EXPECT_EQ(raRenameArray(0, nullptr), SIM_E_ARGUMENT);
  EXPECT_EQ(raRenameArray(5, "Other"), SIM_E_NO_OBJECT);
  EXPECT_EQ(std::string(Info(0).name), longest);
  ASSERT_EQ(raRenameArray(0, ""), kOk) << "an empty name is allowed";
  EXPECT_STREQ(Info(0).name, "");
}

TEST_F(ArrayConfigurationTest, LargeArraysReportTheHighHalfOfTheirSize) {
  Load(Scenario{.disks = 2, .sectors = 4000000000u});
  ASSERT_EQ(Create("Big", kStriping, {0, 1}), kOk);
  EXPECT_EQ(SizeBytes(0), 8000000000ull * 512);
  EXPECT_EQ(Info(0).cylinders, 65535) << "the geometry saturates";
}

}  // namespace
}  // namespace swkv::test
