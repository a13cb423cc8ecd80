// The process's memory, as the soak measures it at the start and the end of a long run.
#pragma once

#include <cstddef>

namespace swkv::test {

// Resident memory of the process in bytes (0 when the system does not say).
std::size_t ResidentBytes();
// Heap bytes in use: what the program allocated and has not freed (the sanitizer's allocator
// under the sanitizers, the C library's otherwise).
std::size_t HeapBytes();

}  // namespace swkv::test
