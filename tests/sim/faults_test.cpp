// Faults on request: failing calls (every one, the n-th, on one controller) and misbehaving ones
// (absurd counts, unterminated texts, unknown codes), and the call counts tests rely on.
#include <cstring>

#include "sim_fixture.h"

namespace swkv::test {
namespace {

class FaultTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Load(Scenario{.arrays = kMirror, .second = true});
  }
  int32_t Flag() {
    int32_t flag = 0;
    return raNeedUpdate(&flag);
  }
  // The statuses of n calls of raNeedUpdate.
  std::vector<int32_t> Flags(int n) {
    std::vector<int32_t> statuses;
    while (n-- > 0) statuses.push_back(Flag());
    return statuses;
  }
};

TEST_F(FaultTest, FailEveryCallTheNthCallOrOneControllersCalls) {
  ASSERT_EQ(simFailCall("raNeedUpdate", -1, 0, 77), kOk);
  EXPECT_EQ(Flags(2), (std::vector<int32_t>{77, 77}));
  simClearFaults();
  EXPECT_EQ(Flag(), kOk);

  // The third matching call from now, once.
  ASSERT_EQ(simFailCall("raNeedUpdate", -1, 3, 9), kOk);
  EXPECT_EQ(Flags(4), (std::vector<int32_t>{kOk, kOk, 9, kOk}));
  simClearFaults();

  // Only while controller 1 is open, with the default status.
  ASSERT_EQ(simFailCall("raNeedUpdate", 1, 0, SIM_E_INJECTED), kOk);
  EXPECT_EQ(Flag(), kOk);
  Open(1);
  EXPECT_EQ(Flag(), SIM_E_INJECTED);
  // A failing open keeps the controller that was open.
  ASSERT_EQ(simFailCall("raInitialize", 0, 0, 5), kOk);
  EXPECT_EQ(TryOpen(0), 5);
  EXPECT_EQ(simOpenController(), 1);

  EXPECT_EQ(simFailCall("raNoSuchCall", -1, 0, 1), SIM_E_ARGUMENT);
  EXPECT_EQ(simFailCall("raNeedUpdate", 2, 0, 1), SIM_E_ARGUMENT);
  EXPECT_EQ(simFailCall(nullptr, -1, 0, 1), SIM_E_ARGUMENT);
}

TEST_F(FaultTest, AFailedCallWritesNothingAndChangesNothing) {
  ASSERT_EQ(simFailCall("raCreateArray", -1, 0, 3), kOk);
  ASSERT_EQ(simFailCall("raGetArrayStatus", -1, 0, 4), kOk);
  EXPECT_EQ(Create("X", kStriping, {2, 3}), 3);
  EXPECT_EQ(Arrays().size(), 1u);
  uint32_t state = 42, activity = 42;
  int32_t progress = 42;
  EXPECT_EQ(raGetArrayStatus(0, &state, &activity, &progress), 4);
  EXPECT_EQ(state, 42u);
  EXPECT_EQ(progress, 42);
}

TEST_F(FaultTest, ScenarioFaultsApplyFromTheStart) {
  ASSERT_EQ(simLoadScenarioText(R"({"controllers":[{"disks":[{"disk":0,"model":"A"}]}],
      "faults":[{"function":"raGetDiskTiming","fail":12},
                {"function":"raGetDeviceName","misbehave":"unterminated"},
                {"function":"raGetDiskStatus","call":2,"misbehave":"output","output":1,
                 "value":9}]})"),
            kOk)
      << simLastError();
  Open(0);
  int32_t timing = 0;
  EXPECT_EQ(raGetDiskTiming(0, &timing), 12);
  EXPECT_EQ(Name(0), std::string("A").append(RA_NAME_SIZE - 1, ' ')) << "no NUL in the buffer";
  EXPECT_EQ(Disk(0).state, kFree);
  EXPECT_EQ(Disk(0).state, 9u) << "the second call reports an unknown state";
  EXPECT_EQ(Disk(0).state, kFree);
}

TEST_F(FaultTest, CountsBeyondTheRoomFillTheRoomOnly) {
  for (int i = 0; i < 3; ++i) Apply(R"({"event":{"code":2,"text":"real"}})");
  ASSERT_EQ(simMisbehave("raGetEvents", -1, 1, SIM_MISBEHAVE_COUNT, 0, 25), kOk);
  // One record of room more than promised, to see that nothing is written past 20.
  RaEventRecord records[RA_MAX_EVENTS + 1];
  std::memset(records, 0x5A, sizeof records);
  int32_t count = 0;
  ASSERT_EQ(raGetEvents(records, &count), kOk);
  EXPECT_EQ(count, 25);
  EXPECT_STREQ(records[2].text, "real");
  EXPECT_EQ(records[19].code, -1) << "filler";
  EXPECT_EQ(records[20].code, 0x5A5A5A5A);
  ASSERT_EQ(raGetEvents(records, &count), kOk);
  EXPECT_EQ(count, 0) << "the real events went with the first call";

  ASSERT_EQ(simMisbehave("raEnumerateAllArrays", -1, 0, SIM_MISBEHAVE_COUNT, 0, 12), kOk);
  ASSERT_EQ(simMisbehave("raEnumerateDisksInArray", -1, 0, SIM_MISBEHAVE_COUNT, 0, 9), kOk);
  ASSERT_EQ(simMisbehave("raEnumerateAllDisks", -1, 0, SIM_MISBEHAVE_COUNT, 0, 100), kOk);
  uint32_t list[RA_MAX_LIST + 1];
  uint32_t n = 0;
  list[RA_MAX_LIST] = 0xABCD;
  ASSERT_EQ(raEnumerateAllArrays(&n, list), kOk);
  EXPECT_EQ(n, 12u);
  EXPECT_EQ(list[7], 0u) << "the one array, repeated";
  ASSERT_EQ(raEnumerateDisksInArray(0, &n, list), kOk);
  EXPECT_EQ(n, 9u);
  EXPECT_EQ(std::vector<uint32_t>(list, list + 4), (std::vector<uint32_t>{0, 1, 0, 1}));
  ASSERT_EQ(raEnumerateAllDisks(&n, list), kOk);
  EXPECT_EQ(n, 100u);
  EXPECT_EQ(list[RA_MAX_LIST], 0xABCDu);
}

TEST_F(FaultTest, UnterminatedTextsFillTheirWholeBuffers) {
  for (const char* fn :
       {"raGetDeviceName", "raGetArrayInfo", "raGetDriverVersion", "raGetEvents"}) {
    ASSERT_EQ(simMisbehave(fn, -1, 0, SIM_MISBEHAVE_UNTERMINATED, 0, 0), kOk) << fn;
  }
  EXPECT_EQ(Name(0), std::string("Disk 0").append(RA_NAME_SIZE - 6, ' ')) << "no NUL in the buffer";
  EXPECT_EQ(std::memchr(Info(0).name, 0, sizeof(RaArrayInfo::name)), nullptr);
  char version[RA_VERSION_SIZE], second[RA_VERSION_SIZE];
  ASSERT_EQ(raGetDriverVersion(version, second), kOk);
  EXPECT_EQ(std::memchr(version, 0, sizeof version), nullptr);
  EXPECT_EQ(std::memchr(second, 0, sizeof second), nullptr);
  Apply(R"({"event":{"code":2,"text":"x"}})");
  RaEventRecord records[RA_MAX_EVENTS];
  int32_t count = 0;
  ASSERT_EQ(raGetEvents(records, &count), kOk);
  ASSERT_GE(count, 1);
  EXPECT_EQ(std::memchr(records[count - 1].text, 0, sizeof records[0].text), nullptr);
}

TEST_F(FaultTest, OutputsCanCarryCodesNoControllerUses) {
  ASSERT_EQ(simMisbehave("raGetArrayStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, 9), kOk);
  ASSERT_EQ(simMisbehave("raGetArrayStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, 1, 8), kOk);
  ASSERT_EQ(simMisbehave("raEnclosureType", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, 7), kOk);
  ASSERT_EQ(simMisbehave("raGetEnclosureStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, 5, -2), kOk);
  ASSERT_EQ(simMisbehave("raGetChargeStatus", -1, 0, SIM_MISBEHAVE_OUTPUT, 0, 25), kOk);
  ASSERT_EQ(simMisbehave("raGetMaxChannelsPerAdapter", 1, 0, SIM_MISBEHAVE_OUTPUT, 0, 2), kOk);
  EXPECT_EQ(Status(0).state, 9u);
  EXPECT_EQ(Status(0).activity, 8u);
  EXPECT_EQ(Out(raEnclosureType, 0), 7);
  int32_t type = 0, spare = 0, readings[4] = {};
  ASSERT_EQ(raGetEnclosureStatus(0, &type, &spare, readings), kOk);
  EXPECT_EQ(readings[3], -2) << "output 5 is the 12 V reading";
  int32_t code = 0;
  EXPECT_EQ(raGetChargeStatus(&code), SIM_E_NO_OBJECT) << "a failed call is left alone";
  EXPECT_EQ(Out(raGetMaxChannelsPerAdapter), 4);
  Open(1);
  EXPECT_EQ(Out(raGetMaxChannelsPerAdapter), 2);
  EXPECT_EQ(simMisbehave("raGetArrayStatus", -1, 0, 99, 0, 0), SIM_E_ARGUMENT);
}

TEST_F(FaultTest, CallsAreCountedPerFunctionAndController) {
  simResetCallCounts();
  Flags(2);
  Open(1);
  Flag();
  ASSERT_EQ(simFailCall("raNeedUpdate", -1, 0, 1), kOk);
  Flag();
  EXPECT_EQ(simCallCount("raNeedUpdate", -1), 4) << "refused calls count too";
  EXPECT_EQ(simCallCount("raNeedUpdate", 0), 2);
  EXPECT_EQ(simCallCount("raNeedUpdate", 1), 2);
  EXPECT_EQ(simCallCount("raInitialize", 1), 1);
  EXPECT_EQ(simCallCount("raClearLog", -1), 0);
  EXPECT_EQ(simCallCount("raBogus", -1), -1);
  simResetCallCounts();
  EXPECT_EQ(simCallCount("raNeedUpdate", -1), 0);

  // The enclosure calls count on the controller that owns the bay.
  int32_t type = 0;
  raEnclosureType(9, &type);
  EXPECT_EQ(simCallCount("raEnclosureType", 1), 1);
  EXPECT_EQ(simCallCount("raEnclosureType", 0), 0);
}

}  // namespace
}  // namespace swkv::test
