// Marks memory a program keeps for later use as unusable, so that AddressSanitizer reports a
// read of it as it would a read of freed memory. Without the sanitizer these do nothing.
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace swkv {

inline void MarkUnusable(void* memory, std::size_t size) {
#if defined(__SANITIZE_ADDRESS__)
  __asan_poison_memory_region(memory, size);
#else
  (void)memory, (void)size;
#endif
}

inline void MarkUsable(void* memory, std::size_t size) {
#if defined(__SANITIZE_ADDRESS__)
  __asan_unpoison_memory_region(memory, size);
#else
  (void)memory, (void)size;
#endif
}

}  // namespace swkv
