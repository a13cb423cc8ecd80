// The controller selection: which controller the library has open, as this process sees it.
//
// The library keeps one controller open at a time. Every node that talks to a controller selects
// it first; the selection is process-wide and used on the component's one thread only, so it is
// not locked.
#pragma once

#include <cstdint>

namespace swkv {

// The component manages at most two controllers: indices 0 and 1.
inline constexpr int32_t kMaxControllers = 2;
// The current controller before anything was selected. No node has this index, so the first
// SelectController always opens the library.
inline constexpr int32_t kNoController = -1;

// The index of the controller the library has open (kNoController at first).
int32_t CurrentController();
// The selection pointer: its address goes to raInitialize, its value to raTerminate. Null until
// the first open; afterwards it points at a long-lived slot holding the open index, never at a
// caller's variable.
int32_t* SelectionPointer();
// The status of the last library call the component recorded.
int32_t LastStatus();
void SetLastStatus(int32_t status);
// Records status as the last status and returns it: `if (RecordStatus(raX(...)) != 0)`.
int32_t RecordStatus(int32_t status);

// Makes index the library's open controller. Nothing is called when it is current and still
// open; otherwise the open controller is closed (raTerminate with the selection pointer's value),
// the selection pointer is pointed at index's slot and raInitialize opens it, its status
// recorded. True when index is current afterwards. On failure the current controller keeps its
// old index, but the next selection opens the library again (it closed the controller). An index
// outside 0..1 fails at once, without a library call and without changing the last status.
bool SelectController(int32_t index);

// Opens index without closing the open controller first and without changing the current
// controller, as discovery and the polling pass do: points the selection pointer at index's slot
// and records raInitialize's status, which it returns. A later SelectController of another index
// (the current one included) opens that one again. An index outside 0..1 returns -1 without a
// library call.
int32_t OpenController(int32_t index);

// Discovery records the controller it opened last as current.
void SetCurrentController(int32_t index);

// Back to the state at load: no controller, null selection pointer, last status 0. For tests.
void ResetSelection();

}  // namespace swkv
