// windows.h first: psapi.h builds on its types.
#include <windows.h>

#include <malloc.h>
#include <psapi.h>

#include "tests/reliability/common/memory_usage.h"

namespace swkv::test {

std::size_t ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.WorkingSetSize;
}

std::size_t HeapBytes() {
  // The C runtime's heap, walked block by block.
  std::size_t inUse = 0;
  _HEAPINFO entry{};
  while (_heapwalk(&entry) == _HEAPOK)
    if (entry._useflag == _USEDENTRY) inUse += entry._size;
  return inUse;
}

std::size_t HeapNoise() { return 8192; }

}  // namespace swkv::test
