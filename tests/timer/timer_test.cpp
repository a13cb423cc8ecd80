// Window-less timers stepped with the manual clock: when a host's pump sees them, on which
// thread, and what the procedure is called with.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <future>
#include <thread>
#include <vector>

#include "platform/test_clock.h"
#include "platform/win.h"

namespace {

constexpr std::uint64_t kStart = 1700000000000;  // 2023-11-14 22:13:20 UTC
constexpr std::uint64_t kFileTimeOf1970 = 116444736000000000;

struct Call {
  UINT_PTR id;
  HWND window;
  UINT message;
  DWORD time;
  DWORD thread;
  int depth;
};
std::vector<Call> g_calls;
int g_depth = 0;

void CALLBACK Record(HWND window, UINT message, UINT_PTR id, DWORD time) {
  g_calls.push_back(Call{id, window, message, time, GetCurrentThreadId(), g_depth});
}

// Dispatches whatever the thread's queue yields right now; returns how many messages it took.
int Pump() {
  int count = 0;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ++count;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return count;
}

// A procedure that runs a nested message loop, as a modal dialog box would.
void CALLBACK PumpInside(HWND window, UINT message, UINT_PTR id, DWORD time) {
  ++g_depth;
  Record(window, message, id, time);
  Pump();
  --g_depth;
}

int CallsOf(UINT_PTR id) {
  int count = 0;
  for (const Call& call : g_calls) count += call.id == id ? 1 : 0;
  return count;
}

std::uint64_t FileTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

class Timer : public testing::Test {
 protected:
  void SetUp() override {
    SwkvTestClockSet(kStart);
    g_calls.clear();
  }
  void TearDown() override {
    for (UINT_PTR id : m_armed) KillTimer(nullptr, id);
    SwkvTestClockReset();
  }

  UINT_PTR Arm(UINT interval, TIMERPROC procedure = Record) {
    UINT_PTR id = SetTimer(nullptr, 0, interval, procedure);
    EXPECT_NE(id, 0u);
    m_armed.push_back(id);
    return id;
  }

 private:
  std::vector<UINT_PTR> m_armed;
};

TEST_F(Timer, FiresOncePerIntervalOfTestTimeNeverBeforeAndOnceForOverduePeriods) {
  UINT_PTR id = Arm(1000);
  EXPECT_EQ(Pump(), 0);
  SwkvTestClockAdvance(999);
  EXPECT_EQ(Pump(), 0);
  SwkvTestClockAdvance(1);
  EXPECT_EQ(Pump(), 1);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].id, id);
  EXPECT_EQ(g_calls[0].window, nullptr);
  EXPECT_EQ(g_calls[0].message, WM_TIMER);
  EXPECT_EQ(g_calls[0].time, GetTickCount());
  for (int second = 2; second <= 4; ++second) {
    SwkvTestClockAdvance(1000);
    EXPECT_EQ(Pump(), 1);
    EXPECT_EQ(CallsOf(id), second);
  }

  // Overdue periods yield one message, and the next period counts from its retrieval.
  SwkvTestClockAdvance(3500);
  EXPECT_EQ(Pump(), 1);
  SwkvTestClockAdvance(999);
  EXPECT_EQ(Pump(), 0);
  SwkvTestClockAdvance(1);
  EXPECT_EQ(Pump(), 1);
  EXPECT_EQ(CallsOf(id), 6);
}

TEST_F(Timer, ProcedureRunsOnlyFromDispatch) {
  UINT_PTR id = Arm(1000);
  SwkvTestClockAdvance(1000);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.wParam, id);
  EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(&Record));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_TRUE(g_calls.empty());
  DispatchMessageA(&msg);
  EXPECT_EQ(CallsOf(id), 1);

  // GetMessageA hands out a due timer without waiting, and without running it either.
  SwkvTestClockAdvance(1000);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, id);
  EXPECT_EQ(CallsOf(id), 1);

  // A filter that excludes WM_TIMER leaves a due timer alone.
  SwkvTestClockAdvance(1000);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_APP, PM_REMOVE));
  EXPECT_EQ(Pump(), 1);
}

TEST_F(Timer, PostedMessagesGoBeforeDueTimers) {
  Arm(1000);
  SwkvTestClockAdvance(1000);
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER, 1, 0));
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_TIMER);
}

TEST_F(Timer, KilledTimerNeverFiresEvenWhenAlreadyRetrieved) {
  UINT_PTR id = Arm(1000);
  SwkvTestClockAdvance(1000);
  EXPECT_TRUE(KillTimer(nullptr, id));
  EXPECT_EQ(Pump(), 0);

  UINT_PTR late = Arm(1000);
  Arm(5000);  // a live timer with the same procedure must not let the stale message through
  SwkvTestClockAdvance(1000);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(KillTimer(nullptr, late));
  DispatchMessageA(&msg);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(Timer, TimersKeepTheirOwnPeriodsAndTheLongestDueGoesFirst) {
  UINT_PTR slow = Arm(1000);
  UINT_PTR fast = Arm(300);
  for (int step = 0; step < 30; ++step) {
    SwkvTestClockAdvance(100);
    Pump();
  }
  EXPECT_EQ(CallsOf(slow), 3);
  EXPECT_EQ(CallsOf(fast), 10);

  g_calls.clear();
  SwkvTestClockAdvance(5000);  // both fired at 3000: slow is due again at 4000, fast at 3300
  EXPECT_EQ(Pump(), 2);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0].id, fast);
  EXPECT_EQ(g_calls[1].id, slow);
}

TEST_F(Timer, RearmingReplacesPeriodAndProcedureAndShortIntervalsAreClamped) {
  UINT_PTR id = Arm(1000, PumpInside);
  SwkvTestClockAdvance(600);
  EXPECT_EQ(SetTimer(nullptr, id, 500, Record), id);
  EXPECT_EQ(SwkvNextTimerDueMs(), 500u);
  SwkvTestClockAdvance(499);
  EXPECT_EQ(Pump(), 0);
  SwkvTestClockAdvance(1);
  EXPECT_EQ(Pump(), 1);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].depth, 0);  // Record, not PumpInside

  // A zero interval would make the timer due at every pump.
  EXPECT_EQ(SetTimer(nullptr, id, 0, Record), id);
  EXPECT_EQ(SwkvNextTimerDueMs(), USER_TIMER_MINIMUM);
}

TEST_F(Timer, NestedPumpInAProcedureRunsOtherTimersButNotItself) {
  UINT_PTR outer = Arm(1000, PumpInside);
  UINT_PTR other = Arm(1000);
  SwkvTestClockAdvance(1000);
  EXPECT_EQ(Pump(), 1);  // the other timer was taken by the nested pump
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0].id, outer);
  EXPECT_EQ(g_calls[1].id, other);
  EXPECT_EQ(g_calls[1].depth, 1);
  EXPECT_EQ(CallsOf(outer), 1);
}

TEST_F(Timer, TimersFireOnlyOnTheThreadThatArmedThem) {
  UINT_PTR mine = Arm(1000);
  SwkvTestClockAdvance(1000);
  const DWORD self = GetCurrentThreadId();

  int foreignMessages = -1;
  DWORD foreignDue = 0;
  DWORD workerId = 0;
  UINT_PTR workerTimer = 0;
  std::thread([&] {
    workerId = GetCurrentThreadId();
    foreignDue = SwkvNextTimerDueMs();
    foreignMessages = Pump();
    workerTimer = SetTimer(nullptr, 0, 1000, Record);
    SwkvTestClockAdvance(1000);
    Pump();
  }).join();
  EXPECT_EQ(foreignMessages, 0);
  EXPECT_EQ(foreignDue, INFINITE);
  EXPECT_NE(workerTimer, mine);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].id, workerTimer);
  EXPECT_EQ(g_calls[0].thread, workerId);

  // The worker's queue and timer ended with its thread; ours has waited for our pump.
  EXPECT_FALSE(PostThreadMessageA(workerId, WM_USER, 0, 0));
  EXPECT_EQ(Pump(), 1);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[1].id, mine);
  EXPECT_EQ(g_calls[1].thread, self);
}

TEST_F(Timer, NextDueReportsTheNearestTimerOfTheCallingThread) {
  EXPECT_EQ(SwkvNextTimerDueMs(), INFINITE);
  UINT_PTR slow = Arm(1000);
  EXPECT_EQ(SwkvNextTimerDueMs(), 1000u);
  SwkvTestClockAdvance(400);
  EXPECT_EQ(SwkvNextTimerDueMs(), 600u);
  UINT_PTR fast = Arm(250);
  EXPECT_EQ(SwkvNextTimerDueMs(), 250u);
  SwkvTestClockAdvance(5000);
  EXPECT_EQ(SwkvNextTimerDueMs(), 0u);
  KillTimer(nullptr, slow);
  KillTimer(nullptr, fast);
  EXPECT_EQ(SwkvNextTimerDueMs(), INFINITE);
}

TEST_F(Timer, SystemTimeAndTickCountFollowTheTestClock) {
  EXPECT_EQ(FileTimeNow(), kFileTimeOf1970 + kStart * 10000);
  DWORD tick = GetTickCount();
  SwkvTestClockAdvance(1500);
  EXPECT_EQ(FileTimeNow(), kFileTimeOf1970 + (kStart + 1500) * 10000);
  EXPECT_EQ(GetTickCount(), tick + 1500);

  // Setting the date is not the passing of time: the tick and the timers stay where they are.
  Arm(1000);
  SwkvTestClockSet(kStart + 86400000);
  EXPECT_EQ(FileTimeNow(), kFileTimeOf1970 + (kStart + 86400000) * 10000);
  EXPECT_EQ(GetTickCount(), tick + 1500);
  EXPECT_EQ(SwkvNextTimerDueMs(), 1000u);
  EXPECT_EQ(Pump(), 0);

  // Back on the wall clock the tick carries on from the manual one.
  ULONGLONG manualTick = GetTickCount64();
  SwkvTestClockReset();
  EXPECT_GE(GetTickCount64(), manualTick);
  EXPECT_LE(SwkvNextTimerDueMs(), 1000u);
  auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::system_clock::now().time_since_epoch())
                  .count();
  auto shown = static_cast<std::int64_t>((FileTimeNow() - kFileTimeOf1970) / 10000);
  EXPECT_LT(std::abs(shown - wall), 5000);
}

TEST_F(Timer, GetMessageWaitsForTheManualClockToMove) {
  std::promise<void> armed;
  std::promise<MSG> received;
  std::thread loop([&] {
    UINT_PTR id = SetTimer(nullptr, 0, 1000, Record);
    armed.set_value();
    MSG msg{};
    GetMessageA(&msg, nullptr, 0, 0);
    DispatchMessageA(&msg);
    KillTimer(nullptr, id);
    received.set_value(msg);
  });
  armed.get_future().wait();
  SwkvTestClockAdvance(1000);
  MSG msg = received.get_future().get();
  loop.join();
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(Timer, GetMessageWaitsForTheWallClockWhenNoTestClockIsSet) {
  SwkvTestClockReset();
  ULONGLONG armedAt = GetTickCount64();
  UINT_PTR id = Arm(USER_TIMER_MINIMUM);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.wParam, id);
  EXPECT_GE(GetTickCount64() - armedAt, USER_TIMER_MINIMUM);
}

}  // namespace
