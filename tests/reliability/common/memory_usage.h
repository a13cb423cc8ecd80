// The process's memory, as the soak measures it at the start and the end of a long run.
#pragma once

#include <cstddef>

namespace swkv::test {

// Resident memory of the process in bytes (0 when the system does not say).
std::size_t ResidentBytes();
// Heap bytes in use: what the program allocated and has not freed (the sanitizer's allocator
// under the sanitizers, memcheck's under valgrind, the C library's otherwise).
std::size_t HeapBytes();
// How far that figure may move without anything being kept: 0 where it is exact (the
// sanitizer's, memcheck's). The C library's counts the blocks its per-thread cache holds for
// reuse as in use, which moves it by a few kilobytes (run with
// GLIBC_TUNABLES=glibc.malloc.tcache_count=0 for exact figures).
std::size_t HeapNoise();

}  // namespace swkv::test
