// Time, thread identity and sleeping for the POSIX build.
//
// All three clocks that the component can see (the tick count, the system time and the timers of
// winuser.h) read the library's one process clock, which a test can replace by a manual clock
// (platform/test_clock.h).
#pragma once

#include "platform/posix/windef.h"

// "No time limit" for waits; also what SwkvNextTimerDueMs reports when no timer is armed.
constexpr DWORD INFINITE = 0xFFFFFFFF;

extern "C" {
// Milliseconds on the process clock, wrapping after 49.7 days. Under the wall clock it counts
// from system start; under the manual clock it moves only when the test advances it.
DWORD WINAPI GetTickCount(void);
ULONGLONG WINAPI GetTickCount64(void);

// The current time in 100-ns units since 1601-01-01 UTC; the manual clock's time when one is set.
void WINAPI GetSystemTimeAsFileTime(LPFILETIME systemTime);

// The calling thread's system-wide identifier; nonzero, and reused only after the thread ended.
DWORD WINAPI GetCurrentThreadId(void);
}
