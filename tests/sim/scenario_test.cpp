// Scenarios: the embedded default and its demonstration timeline, the refusal of documents that
// do not describe a controller, and the configuration from the environment.
#include <filesystem>

#include <gmock/gmock.h>

#include "sim_fixture.h"

namespace swkv::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class ScenarioTest : public SimTest {
 protected:
  void TearDown() override {
    if (!m_dir.empty()) fs::remove_all(m_dir);
    ClearSimEnvironment();
  }
  fs::path File(const std::string& name, const std::string& contents) {
    if (m_dir.empty()) {
      m_dir =
          fs::temp_directory_path() /
          ("swkv-scenario-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
      fs::create_directories(m_dir);
    }
    WriteText(m_dir / name, contents);
    return m_dir / name;
  }
  // The modes of the open controller's arrays, in list order.
  std::vector<int32_t> Modes() {
    std::vector<int32_t> modes;
    for (uint32_t a : Arrays()) modes.push_back(Mode(a));
    return modes;
  }

  fs::path m_dir;
};

TEST_F(ScenarioTest, DefaultHasTwoControllersOfSeveralModesBaysAndABattery) {
  Open(0);
  EXPECT_EQ(Modes(), (std::vector<int32_t>{kMirroring, kDistParity}));
  EXPECT_EQ(Out(raCheckBatteryPack), 1);
  EXPECT_EQ(Out(raEnclosureType, 2), 3);
  Open(1);
  EXPECT_EQ(Modes(), (std::vector<int32_t>{kStriping, kParity, kSpanning}));
  EXPECT_EQ(Status(1).activity, kSyncing);
  EXPECT_EQ(Status(1).progress, 40);
  EXPECT_EQ(Out(raCheckBatteryBackModule), 0);
  EXPECT_EQ(Out(raEnclosureType, 8), 2);
}

TEST_F(ScenarioTest, DefaultTimelineFailsADiskAndRebuildsItWithinTwoMinutes) {
  Open(0);
  Advance(29);
  EXPECT_EQ(Status(0).state, kNormal);
  Advance(2);
  EXPECT_EQ(Status(0).state, kCritical);
  EXPECT_EQ(Status(0).activity, kSpareRebuilding);
  EXPECT_EQ(NeedUpdate(), 1);
  Advance(60);
  EXPECT_EQ(Status(0).state, kNormal);
  EXPECT_EQ(EventCodes(), (std::vector<int32_t>{1, 8, 4, 10}));
  Advance(30);
  EXPECT_EQ(AllDisks(), (std::vector<uint32_t>{0, 3, 4, 5, 6})) << "the failed disk was pulled";
  Advance(30);
  EXPECT_EQ(Disk(2).state, kFree) << "and a new one put in";
}

TEST_F(ScenarioTest, RefusedDocumentsNameThePlaceAndTheReason) {
  const std::string disks = R"("disks":[{"disk":0,"model":"a"},{"disk":1,"model":"a"},
      {"disk":2,"model":"a"}])";
  struct Case {
    std::string json, place, reason;
  } cases[] = {
      {"{\n\"controllers\": [\n  {,\n]}", "line 3, column 4", "not valid JSON"},
      {"", "line 1, column 1", "not valid JSON"},
      {"{\"controllers\":[{\"activitySeconds\":\n  -1e400}]}", "line 2, column 3",
       "not valid JSON (number overflow parsing '-1e400')"},
      {"[]", "/", "must be an object"},
      {R"({"controllers":[{"disk":[]}]})", "/controllers/0/disk", "unknown field"},
      {R"({"controllers":[{},{},{}]})", "/controllers", "one or two controllers"},
      {R"({"controllers":[{"disks":[{"disk":0}]}]})", "/controllers/0/disks/0/model",
       "needs a model"},
      {R"({"controllers":[{"disks":[{"disk":0,"model":"a"},{"disk":0,"model":"b"}]}]})",
       "/controllers/0/disks/1/disk", "listed twice"},
      {R"({"controllers":[{)" + disks + R"(,"arrays":[{"mode":"mirroring","members":[0,1,2]}]}]})",
       "/controllers/0/arrays/0/members", "do not make an array"},
      {R"({"controllers":[{)" + disks + R"(,"arrays":[{"mode":"raid5","members":[0,1,2]}]}]})",
       "/controllers/0/arrays/0/mode", "must be one of"},
      {R"({"controllers":[{)" + disks + R"(,"arrays":[{"mode":"spanning","members":[0,5]}]}]})",
       "/controllers/0/arrays/0/members/1", "not in \"disks\""},
      {R"({"controllers":[{)" + disks +
           R"(,"arrays":[{"mode":"spanning","members":[0,1]},{"mode":"spanning","members":[1]}]}]})",
       "/controllers/0/disks/1", "member of two arrays"},
      {R"({"controllers":[{)" + disks + R"(,"arrays":[{"mode":"spanning","members":[0],"name":")" +
           std::string(64, 'n') + R"("}]}]})",
       "/controllers/0/arrays/0/name", "longer than 63"},
      {R"({"controllers":[{)" + disks +
           R"(,"arrays":[{"mode":"mirroring","members":[0,1],"task":{"kind":"rebuild"}}]}]})",
       "/controllers/0/arrays/0/task", "rebuildTarget"},
      {R"({"controllers":[{"disks":[{"disk":0,"model":"a","state":"online"}]}]})",
       "/controllers/0/disks/0/state", "free or failed"},
      {R"({"controllers":[{}],"timeline":[{"disk":0,"do":"fail"}]})", "/timeline/0/at",
       "is missing"},
      {R"({"controllers":[{}],"timeline":[{"at":5,"controller":1,"disk":0,"do":"fail"}]})",
       "/timeline/0/controller", "from 0 to 0"},
      {R"({"controllers":[{}],"timeline":[{"at":5,"disk":0,"do":"explode"}]})", "/timeline/0/do",
       "must be one of"},
      {R"({"controllers":[{}],"faults":[{"function":"raFly"}]})", "/faults/0/function",
       "library's functions"},
      {R"({"controllers":[{"disks":[{"disk":0,"model":"5 \u20ac disk"}]}]})",
       "/controllers/0/disks/0/model", "beyond U+00FF"},
      {R"({"controllers":[{"bays":[{"channel":4,"type":"quickbay"}]}]})",
       "/controllers/0/bays/0/channel", "from 0 to 3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(simLoadScenarioText(c.json.c_str()), SIM_E_UNAVAILABLE) << c.json;
    EXPECT_THAT(simLastError(), StartsWith("scenario (text): at " + c.place + ": "));
    EXPECT_THAT(simLastError(), HasSubstr(c.reason));
  }
  // Every call fails until a scenario loads.
  EXPECT_EQ(TryOpen(0), SIM_E_UNAVAILABLE);
  EXPECT_EQ(simApply(R"({"update":true})"), SIM_E_UNAVAILABLE);
  Load(Scenario{});
  EXPECT_EQ(NeedUpdate(), 0);
}

TEST_F(ScenarioTest, TextsAreTheControllersSingleByteCharacters) {
  Load(R"({"controllers":[{"disks":[{"disk":0,"model":"B\u00fccher"},{"disk":1,"model":"x"}],
      "arrays":[{"name":"Caf\u00e9","mode":"mirroring","members":[0,1]}]}]})");
  EXPECT_EQ(Name(0), std::string("B\xFC").append("cher"));
  EXPECT_STREQ(Info(0).name, "Caf\xE9");
}

TEST_F(ScenarioTest, RefusalIsPrintedOnceNamingTheFile) {
  fs::path bad = File("bad.json", R"({"controllers":[{"disks":[{"disk":9,"model":"x"}]}]})");
  SetEnv("SWKV_SIM_SCENARIO", bad.string().c_str());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(simReset(), SIM_E_UNAVAILABLE);
  EXPECT_EQ(TryOpen(0), SIM_E_UNAVAILABLE);
  EXPECT_EQ(TryOpen(0), SIM_E_UNAVAILABLE);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "raidapikv9k: scenario " + bad.string() +
                ": at /controllers/0/disks/0/disk: must be from 0 to 7\n");

  SetEnv("SWKV_SIM_SCENARIO", (m_dir / "missing.json").string().c_str());
  EXPECT_EQ(simReset(), SIM_E_UNAVAILABLE);
  EXPECT_THAT(simLastError(), HasSubstr("missing.json"));

  fs::path good = File("good.json", R"({"controllers":[{"disks":[{"disk":3,"model":"x"}]}]})");
  SetEnv("SWKV_SIM_SCENARIO", good.string().c_str());
  ASSERT_EQ(simReset(), kOk) << simLastError();
  Open(0);
  EXPECT_EQ(AllDisks(), std::vector<uint32_t>{3});
}

TEST_F(ScenarioTest, ClockSettingFromTheEnvironment) {
  SetEnv("SWKV_SIM_CLOCK", "sometimes");
  EXPECT_EQ(simReset(), SIM_E_UNAVAILABLE);
  EXPECT_THAT(simLastError(), HasSubstr("SWKV_SIM_CLOCK"));

  // A manual clock moved on by 31 s at the start: the default scenario's disk has failed.
  SetEnv("SWKV_SIM_CLOCK", "manual+31");
  ASSERT_EQ(simReset(), kOk) << simLastError();
  int64_t now = simNow();
  Open(0);
  EXPECT_EQ(Status(0).state, kCritical);
  EXPECT_EQ(Status(0).progress, 1);
  EXPECT_EQ(simNow(), now) << "a manual clock stands still";
}

TEST_F(ScenarioTest, ReadmeShowsTheDefaultScenario) {
  std::string readme = ReadText(fs::path(SWKV_SOURCE_DIR) / "sim" / "README.md");
  std::string scenario = ReadText(fs::path(SWKV_SOURCE_DIR) / "sim" / "default_scenario.json");
  ASSERT_FALSE(scenario.empty());
  EXPECT_THAT(readme, HasSubstr(scenario)) << "sim/README.md must quote default_scenario.json";
}

}  // namespace
}  // namespace swkv::test
