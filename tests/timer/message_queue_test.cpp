// The thread message queue as a host's message loop sees it. Nothing here needs a timer to fall
// due, so these hold against the Windows system libraries as well.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "platform/win.h"
#include "tests/support/system_traits.h"

namespace {

using swkv::test::RunningOnWine;

int g_strayCalls = 0;
void CALLBACK StrayProc(HWND, UINT, UINT_PTR, DWORD) { ++g_strayCalls; }
void CALLBACK QuietProc(HWND, UINT, UINT_PTR, DWORD) {}

TEST(MessageQueue, PostedMessagesComeInOrderThenTheQuitRequest) {
  const DWORD self = GetCurrentThreadId();
  ASSERT_TRUE(PostThreadMessageA(self, WM_USER + 1, 11, 0));
  ASSERT_TRUE(PostThreadMessageA(self, WM_USER + 2, 22, 0));
  ASSERT_TRUE(PostThreadMessageA(self, WM_USER + 3, 33, 0));

  MSG msg{};
  // A range picks a later message and leaves the earlier ones; PM_NOREMOVE leaves what it shows.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 22u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));

  PostQuitMessage(7);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, 11u);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, 33u);

  // WM_QUIT passes any range, carries the exit code, and is taken once.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, PostingToAnotherThreadWakesItsMessageLoop) {
  std::promise<DWORD> queueReady;
  std::promise<MSG> received;
  std::thread loop([&] {
    MSG msg{};
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the usual way to get a queue
    queueReady.set_value(GetCurrentThreadId());
    GetMessageA(&msg, nullptr, 0, 0);
    received.set_value(msg);
  });
  DWORD loopId = queueReady.get_future().get();
  ASSERT_TRUE(PostThreadMessageA(loopId, WM_APP + 5, 42, -3));
  MSG msg = received.get_future().get();
  loop.join();
  EXPECT_EQ(msg.message, WM_APP + 5);
  EXPECT_EQ(msg.wParam, 42u);
  EXPECT_EQ(msg.lParam, -3);
  EXPECT_EQ(msg.hwnd, nullptr);

  // A thread that never touched its queue has none to post to.
  std::promise<DWORD> idle;
  std::promise<void> release;
  std::thread quiet([&] {
    idle.set_value(GetCurrentThreadId());
    release.get_future().wait();
  });
  DWORD quietId = idle.get_future().get();
  EXPECT_FALSE(PostThreadMessageA(quietId, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
  release.set_value();
  quiet.join();
}

TEST(MessageQueue, TimerIdentifiersAreNonzeroUniqueAndOwnedByTheArmingThread) {
  if (RunningOnWine()) GTEST_SKIP() << "Wine numbers window-less timers per thread";
  UINT_PTR first = SetTimer(nullptr, 0, 1000, QuietProc);
  UINT_PTR second = SetTimer(nullptr, 0, 1000, QuietProc);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  // The thread's own identifier re-arms that timer rather than adding one.
  EXPECT_EQ(SetTimer(nullptr, first, 500, QuietProc), first);

  UINT_PTR other = 0;
  BOOL killedByOther = TRUE;
  std::thread([&] {
    other = SetTimer(nullptr, 0, 1000, QuietProc);
    killedByOther = KillTimer(nullptr, first);
    KillTimer(nullptr, other);
  }).join();
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, first);
  EXPECT_NE(other, second);
  EXPECT_FALSE(killedByOther);

  EXPECT_TRUE(KillTimer(nullptr, first));
  EXPECT_FALSE(KillTimer(nullptr, first));
  EXPECT_TRUE(KillTimer(nullptr, second));

  EXPECT_EQ(SetTimer(reinterpret_cast<HWND>(0x1234), 1, 1000, QuietProc), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(MessageQueue, DispatchCallsOnlyAProcedureTheThreadArmed) {
  if (RunningOnWine()) GTEST_SKIP() << "Wine's dispatch calls the procedure a timer message names";
  UINT_PTR id = SetTimer(nullptr, 0, 1000, QuietProc);
  ASSERT_NE(id, 0u);
  MSG forged{nullptr, WM_TIMER, id, reinterpret_cast<LPARAM>(StrayProc), 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&forged), 0);
  EXPECT_EQ(g_strayCalls, 0);
  KillTimer(nullptr, id);
}

}  // namespace
