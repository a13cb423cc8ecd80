#include "raidlib/selection.h"

#include "raidlib/raidapikv9k.h"

namespace swkv {

namespace {

// One slot per controller index. The library receives the address of the selection pointer
// and may read through it after raInitialize returns, so what it points at must live as long as
// the process.
int32_t g_slots[kMaxControllers] = {0, 1};

int32_t g_current = kNoController;
// What the library really has open. The polling pass opens each controller without touching the
// current index, and a failed open closes what was open; a node selecting "the current
// controller" after either must still get its own controller.
int32_t g_open = kNoController;
int32_t* g_selection = nullptr;
int32_t g_lastStatus = 0;

bool Valid(int32_t index) { return index >= 0 && index < kMaxControllers; }

}  // namespace

int32_t CurrentController() { return g_current; }
int32_t* SelectionPointer() { return g_selection; }
int32_t LastStatus() { return g_lastStatus; }
void SetLastStatus(int32_t status) { g_lastStatus = status; }

int32_t RecordStatus(int32_t status) {
  g_lastStatus = status;
  return status;
}

bool SelectController(int32_t index) {
  if (!Valid(index)) return false;
  if (index == g_current && index == g_open) return true;
  raTerminate(g_selection);
  g_selection = &g_slots[index];
  g_open = kNoController;
  if (RecordStatus(raInitialize(&g_selection)) != 0) return false;
  g_current = g_open = index;
  return true;
}

int32_t OpenController(int32_t index) {
  if (!Valid(index)) return -1;
  g_selection = &g_slots[index];
  const int32_t status = RecordStatus(raInitialize(&g_selection));
  g_open = status == 0 ? index : kNoController;
  return status;
}

void SetCurrentController(int32_t index) { g_current = index; }

void ResetSelection() {
  g_current = kNoController;
  g_open = kNoController;
  g_selection = nullptr;
  g_lastStatus = 0;
}

}  // namespace swkv
