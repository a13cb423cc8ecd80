// The window-less timer and thread message calls (winuser.h), the calling thread's identifier,
// and the host's question of how long it may wait for the next timer.
#include <algorithm>
#include <new>

#include <unistd.h>

#include "platform/posix/message_queues.h"
#include "platform/test_clock.h"
#include "platform/win.h"

using swkv::posix::MessageFilter;
using swkv::posix::MessageQueues;

namespace {

// Nothing we have a handle for is a window; NULL and (HWND)-1 both name the thread's own messages.
bool IsThreadTarget(HWND window) { return !window || window == reinterpret_cast<HWND>(-1); }

// The queues allocate; an exhausted heap must come back as a status, not cross the C boundary.
template <class Result, class Operation>
Result NoThrow(Result failure, Operation operation) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return failure;
  }
}

}  // namespace

extern "C" {

DWORD WINAPI GetCurrentThreadId(void) {
  thread_local const DWORD id = static_cast<DWORD>(gettid());
  return id;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR idEvent, UINT elapse, TIMERPROC timerProc) {
  if (window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  return NoThrow<UINT_PTR>(0, [&] {
    return MessageQueues::Instance().ArmTimer(idEvent, elapse, timerProc);
  });
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR idEvent) {
  if (window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return NoThrow<BOOL>(FALSE, [&] {
    if (MessageQueues::Instance().KillTimer(idEvent)) return TRUE;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  });
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!IsThreadTarget(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return NoThrow<BOOL>(FALSE, [&] {
    bool remove = (removeMsg & PM_REMOVE) != 0;
    return MessageQueues::Instance().Peek(*msg, MessageFilter{filterMin, filterMax}, remove)
               ? TRUE
               : FALSE;
  });
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (!IsThreadTarget(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  return NoThrow<BOOL>(-1, [&] {
    MessageQueues::Instance().Wait(*msg, MessageFilter{filterMin, filterMax});
    return msg->message == WM_QUIT ? FALSE : TRUE;
  });
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (!msg || msg->message != WM_TIMER || msg->lParam == 0) return 0;
  auto procedure = reinterpret_cast<TIMERPROC>(msg->lParam);
  // Only a procedure the thread armed is called: lParam is whatever the caller put there.
  bool live = NoThrow<bool>(false, [&] {
    return MessageQueues::Instance().IsLiveTimer(msg->wParam, procedure);
  });
  if (live) procedure(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
  return 0;
}

void WINAPI PostQuitMessage(int exitCode) {
  NoThrow<bool>(false, [&] {
    MessageQueues::Instance().PostQuit(exitCode);
    return true;
  });
}

BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  return NoThrow<BOOL>(FALSE, [&] {
    return MessageQueues::Instance().Post(threadId, message, wParam, lParam) ? TRUE : FALSE;
  });
}

DWORD SwkvNextTimerDueMs(void) {
  return NoThrow<DWORD>(INFINITE, [] { return MessageQueues::Instance().NextTimerDueMs(); });
}
}
