// The user-interface calls of the POSIX build: strings from a module's string table, the message
// box, and thread message queues with window-less timers.
//
// There are no windows: every message is a thread message (hwnd NULL), and a timer is armed with
// no window and a timer procedure. The behaviour follows Windows:
// - A timer belongs to the thread that armed it. It never interrupts anything: when it is due,
//   the next PeekMessageA or GetMessageA of that thread retrieves a WM_TIMER (wParam the timer's
//   identifier, lParam its procedure), and DispatchMessageA of that message calls the procedure.
// - WM_TIMER is generated, not queued: it is retrieved only when no posted message and no quit
//   request is waiting, and a timer overdue by several periods yields one WM_TIMER. Removing that
//   message re-arms the timer for one interval after the retrieval; a peek with PM_NOREMOVE
//   leaves it due.
// - PostQuitMessage sets a request that is retrieved as WM_QUIT after the posted messages and
//   before the timers; GetMessageA returns 0 for it.
#pragma once

#include "platform/posix/windef.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_TASKMODAL = 0x00002000;

constexpr int IDOK = 1;

extern "C" {

// Copies string id of the module's string table into buffer, at most bufferMax - 1 characters and
// a terminator, and returns the number of characters copied. A missing module table or id leaves
// an empty text and returns 0; a null instance means the main program. Module string tables are
// registered by the modules themselves (platform/resource_script.h).
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);

// There is no display to show a box on: the text goes to standard error as one line,
// "caption: text" ("Error" when caption is null), and the box answers IDOK at once, as if its
// first button had been pressed.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

}  // extern "C"

using TIMERPROC = void(CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;  // tick count when the message was posted or the timer message generated
  POINT pt;    // always (0, 0): there is no cursor
};
using PMSG = MSG*;
using LPMSG = MSG*;

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// Intervals are clamped to this range, as on Windows.
constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

extern "C" {
// Arms a timer of the calling thread. The window must be NULL (ERROR_INVALID_WINDOW_HANDLE
// otherwise). An identifier of one of the thread's own timers re-arms that timer with the new
// interval and procedure and returns the same identifier; any other is ignored and a new
// identifier, nonzero and unique in the process, is returned.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR idEvent, UINT elapse, TIMERPROC timerProc);
// Removes a timer of the calling thread; FALSE for an identifier it does not own.
BOOL WINAPI KillTimer(HWND window, UINT_PTR idEvent);

// Retrieve the next message for the calling thread. The window may be NULL or (HWND)-1 (both
// mean the thread's messages); a filter range of 0, 0 admits every message, and WM_QUIT is
// admitted whatever the range. GetMessageA waits for a message: under the wall clock until a
// message is posted or a timer falls due, under the manual clock until a message is posted or the
// clock is moved (time does not pass while it waits). It returns 0 for WM_QUIT and -1 for a bad
// window or a null message pointer.
BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);
// Nothing to translate without a keyboard: always FALSE.
BOOL WINAPI TranslateMessage(const MSG* msg);
// Calls the procedure of a WM_TIMER message with (hwnd, WM_TIMER, identifier, tick count), if
// the procedure is still that of a live timer of the calling thread with that identifier; a
// message left over from a timer killed after its retrieval does nothing. Returns 0.
LRESULT WINAPI DispatchMessageA(const MSG* msg);

void WINAPI PostQuitMessage(int exitCode);
// Queues a message for a thread that has a message queue (one that has called any of these
// functions); ERROR_INVALID_THREAD_ID otherwise, ERROR_NOT_ENOUGH_QUOTA when 10000 are waiting.
BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
}
