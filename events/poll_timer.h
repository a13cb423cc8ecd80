// The polling pass: once per second, on the thread that built the first array node, the tree
// follows the controllers by itself — configuration changes rebuild array and controller nodes,
// queued events are decoded into the controller nodes, and every tenth count the controller
// nodes re-read their drive-bay sensors and battery module.
#pragma once

#include <cstdint>

#include "platform/win.h"

namespace swkv {

// The timer procedure; one call is one pass. A pass that would start while an agent call or
// another pass runs on the thread is skipped.
void CALLBACK PollTimerProc(HWND window, UINT message, UINT_PTR timer, DWORD time);

// Arms the timer once per process (the first array node's construction does this).
void ArmPollTimer();

// Process-wide polling state.
std::uint32_t PollTimerId();  // 0xFFFFFFFF until the timer was armed
std::int32_t& PollTickCount();

}  // namespace swkv
