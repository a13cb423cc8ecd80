#include <malloc.h>
#include <unistd.h>

#include <cstdio>

#include "tests/reliability/common/memory_usage.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's heap statistics (GCC ships no header for them).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace swkv::test {

std::size_t ResidentBytes() {
  // /proc/self/statm: total pages, resident pages, ...
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  unsigned long total = 0, resident = 0;
  int fields = std::fscanf(statm, "%lu %lu", &total, &resident);
  std::fclose(statm);
  if (fields != 2) return 0;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

std::size_t HeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

}  // namespace swkv::test
