#include <malloc.h>
#include <unistd.h>

#include <cstdio>

#include "tests/reliability/common/memory_usage.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's heap statistics (GCC ships no header for them).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif __has_include(<valgrind/memcheck.h>)
#include <valgrind/memcheck.h>
#define SWKV_KNOWS_VALGRIND 1
#endif

namespace swkv::test {

std::size_t ResidentBytes() {
  // /proc/self/statm: total pages, resident pages, ...
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  unsigned long total = 0, resident = 0;  // 0 when the file says otherwise
  std::fscanf(statm, "%lu %lu", &total, &resident);
  std::fclose(statm);
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

std::size_t HeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
#if defined(SWKV_KNOWS_VALGRIND)
  // Under valgrind the heap is the tool's, and mallinfo2 does not see it. Memcheck's own count,
  // exact to the byte: a leak check of the blocks in use (it prints a summary in the tool's
  // log), all kinds added up. Its mallinfo would count part of the freed blocks that it holds
  // back to catch late use, which grows for the first 20 MB freed.
  if (RUNNING_ON_VALGRIND) {
    unsigned long leaked = 0, dubious = 0, reachable = 0, suppressed = 0;
    VALGRIND_DO_QUICK_LEAK_CHECK;
    VALGRIND_COUNT_LEAKS(leaked, dubious, reachable, suppressed);
    std::size_t inUse = leaked + dubious + reachable + suppressed;
    if (inUse > 0) return inUse;  // 0: another tool, which keeps no such count
  }
#endif
  return mallinfo2().uordblks;
#endif
}

std::size_t HeapNoise() {
#if defined(__SANITIZE_ADDRESS__)
  return 0;
#else
#if defined(SWKV_KNOWS_VALGRIND)
  if (RUNNING_ON_VALGRIND) return 0;
#endif
  return 8192;
#endif
}

}  // namespace swkv::test
