// The POSIX platform library's clock controls, for tests and hosts; the component never calls
// them. They do not exist on Windows, where this header declares nothing.
//
// The library has one process clock. Under the wall clock (the default) it follows the system.
// Under the manual clock time stands still until a test moves it, so tests step timers without
// sleeping:
//   SwkvTestClockSet(ms)     switches to the manual clock; the system time now shows ms
//                            (milliseconds since 1970-01-01 UTC). The tick count and the timers
//                            do not jump: setting the calendar is not the passing of time.
//   SwkvTestClockAdvance(ms) lets ms pass: the tick count and the system time move by ms, and
//                            timers that fall due fire at their thread's next pump. Under the wall
//                            clock it first switches to a manual clock showing the current time.
//   SwkvTestClockReset()     goes back to the wall clock; the tick count carries on from where
//                            the manual clock left it, so armed timers keep their remaining time.
#pragma once

#include "platform/win.h"

#ifndef _WIN32
#include <cstdint>

extern "C" {
void SwkvTestClockSet(std::uint64_t unixMs);
void SwkvTestClockAdvance(std::uint64_t ms);
void SwkvTestClockReset(void);

// Milliseconds until the calling thread's next timer is due on the process clock, 0 when one is
// already due, INFINITE when it has none. A host that waits on its own descriptors waits at most
// this long before pumping; a host on the manual clock advances the clock by it instead.
DWORD SwkvNextTimerDueMs(void);
}
#endif
