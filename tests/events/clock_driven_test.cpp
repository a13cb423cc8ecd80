// Passes driven the way a host drives them: the timer armed by the first array node falls due
// on the manual clock and the thread's message pump dispatches it. The simulated controllers
// follow the same clock, so their timelines and the event records' times step with it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system_time.h"
#include "platform/test_clock.h"
#include "settings/system_family.h"
#include "tests/events/pass_fixture.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;

constexpr std::uint64_t kStart = 1700000000000;  // 2023-11-14 22:13:20 UTC
constexpr std::int64_t kStartSeconds = 1700000000;

// Dispatches what the thread's queue holds now; the number of messages.
int Pump() {
  int count = 0;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ++count;
    DispatchMessageA(&msg);
  }
  return count;
}

class ClockDriven : public PassTest {
 protected:
  void SetUp() override {
    SwkvTestClockSet(kStart);
    PassTest::SetUp();  // resets the simulator, its clock setting included
    simFollowClock(UnixMillisecondsNow);
  }
  void TearDown() override {
    simFollowClock(nullptr);
    SwkvTestClockReset();
  }
  // One second passes and the host pumps; the number of messages it dispatched.
  static int Tick() {
    SwkvTestClockAdvance(1000);
    return Pump();
  }
};

TEST_F(ClockDriven, OnePassEachSecondAndTheSensorsEveryTenth) {
  Start(kOneArray);
  EXPECT_EQ(SwkvNextTimerDueMs(), 1000u);
  SwkvTestClockAdvance(999);
  EXPECT_EQ(Pump(), 0);
  SwkvTestClockAdvance(1);
  EXPECT_EQ(Pump(), 1);
  EXPECT_EQ(Calls("raGetEvents"), 1);
  for (int second = 2; second <= 9; ++second) ASSERT_EQ(Tick(), 1);
  EXPECT_EQ(Calls("raGetEvents"), 9);
  EXPECT_EQ(Calls("raGetEnclosureStatus"), 0);
  ASSERT_EQ(Tick(), 1);
  EXPECT_EQ(Calls("raGetEnclosureStatus"), 4);
  EXPECT_EQ(Calls("raCheckBatteryBackModule"), 1);
  EXPECT_EQ(PollTickCount(), 10);
}

TEST_F(ClockDriven, AnEventFromTheControllersTimelineReadsBackWithTheTimeOfReading) {
  std::string scenario(kOneArray);
  scenario.insert(scenario.rfind('}'), R"(, "timeline": [
    {"at": 2.5, "event": {"code": 8, "severity": 0, "text": "Array 1 is critical"}},
    {"at": 2.6, "event": {"code": 15, "severity": 1, "text": "Rebuild of Array 1 stopped"}}])");
  Start(scenario);
  ComPtr<IEventLog> log = Log("HBA1");
  Tick();
  Tick();
  EXPECT_EQ(NewCount(log.get()), 0u);
  Tick();
  ASSERT_EQ(NewCount(log.get()), 2u);
  ReadResult first = Read(log.get());
  EXPECT_EQ(first.status, S_OK);
  EXPECT_EQ(first.record,
            "522@" + std::to_string(kStartSeconds + 3) + "@3@Ary. Critical@Array 1 is critical");
  // Time goes on before the agent reads the second record; no pump in between.
  SwkvTestClockAdvance(1500);
  ReadResult second = Read(log.get());
  EXPECT_EQ(second.record, "515@" + std::to_string(kStartSeconds + 4) +
                               "@2@Rebuild Stopped@Rebuild of Array 1 stopped");
  EXPECT_EQ(NewCount(log.get()), 0u);
}

TEST_F(ClockDriven, APassDueWhileASinkRunsInsideAnAgentCallIsSkipped) {
  ComPtr<IRiver> controller = Start(kOneArray, "HBA1");
  ComPtr<RecordingSink> sink = RecordingSink::Create();
  ASSERT_NE(sink->AdviseOn(controller.get()), 0u);
  std::vector<int> dispatched;
  // The agent's sink runs a message loop, as a user interface would while handling the change.
  sink->onNotify = [&](ULONG) { dispatched.push_back(Tick()); };

  ASSERT_EQ(Invoke(controller.get(), "SetReadThreshold", "16"), S_OK);
  EXPECT_THAT(dispatched, ElementsAre(1));
  EXPECT_EQ(Calls("raGetEvents"), 0);
  EXPECT_EQ(PollTickCount(), 0);

  sink->onNotify = nullptr;
  EXPECT_EQ(Tick(), 1);
  EXPECT_EQ(Calls("raGetEvents"), 1);
  EXPECT_EQ(PollTickCount(), 1);
}

TEST_F(ClockDriven, APassDueWhileAMessageBoxIsShownIsSkipped) {
  const SystemFamily family = CurrentSystemFamily();
  OverrideSystemFamilyForTesting(SystemFamily::kWindowsNt);
  const std::string key = "SYSTEM\\CurrentControlSet\\Services\\Swiftbay\\Parameters\\Device";
  CreateKey(HKEY_LOCAL_MACHINE, key);
  registry.MakeReadOnly(HKEY_LOCAL_MACHINE, key);
  Start(kOneArray);
  // The message box runs the thread's message loop until it is acknowledged.
  std::vector<std::string> shown;
  std::vector<int> dispatched;
  MessageHandler previous = SetMessageHandler([&](std::string_view text) {
    shown.emplace_back(text);
    dispatched.push_back(Tick());
  });

  EXPECT_EQ(Invoke(At("HBA1").get(), "SetCachePolicy", "0"), S_OK);
  SetMessageHandler(std::move(previous));
  EXPECT_THAT(shown, ElementsAre("Registry Error"));
  EXPECT_THAT(dispatched, ElementsAre(1));
  EXPECT_EQ(Calls("raGetEvents"), 0);

  EXPECT_EQ(Tick(), 1);
  EXPECT_EQ(Calls("raGetEvents"), 1);
  OverrideSystemFamilyForTesting(family);
}

TEST_F(ClockDriven, APassDueWhileAPassNotifiesIsSkipped) {
  Start(kOneArray);
  ComPtr<RecordingSink> sink = RecordingSink::Create();
  ASSERT_NE(sink->AdviseOn(At("HBA1/Alpha").get()), 0u);
  std::vector<int> dispatched;
  sink->onNotify = [&](ULONG) { dispatched.push_back(Tick()); };

  RaiseUpdate(0);
  ASSERT_EQ(Tick(), 1);
  // The array's full refresh and the controller's refresh of it notified; the passes that fell
  // due inside were dispatched and did nothing.
  EXPECT_THAT(dispatched, ElementsAre(1, 1));
  EXPECT_EQ(Calls("raGetEvents"), 1);
  EXPECT_EQ(Calls("raNeedUpdate"), 1);

  sink->onNotify = nullptr;
  EXPECT_EQ(Tick(), 1);
  EXPECT_EQ(Calls("raGetEvents"), 2);
}

}  // namespace
}  // namespace swkv::test
