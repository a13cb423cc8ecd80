// Marks memory a program keeps for later use as unusable, so that AddressSanitizer reports a
// read of it as it would a read of freed memory. Without the sanitizer these do nothing.
#pragma once

#include <cstddef>

// GCC says it builds with AddressSanitizer by __SANITIZE_ADDRESS__, clang by a feature test.
#if defined(__SANITIZE_ADDRESS__)
#define SWKV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SWKV_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(SWKV_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

namespace swkv {

inline void MarkUnusable(void* memory, std::size_t size) {
#if defined(SWKV_ADDRESS_SANITIZER)
  __asan_poison_memory_region(memory, size);
#else
  (void)memory, (void)size;
#endif
}

inline void MarkUsable(void* memory, std::size_t size) {
#if defined(SWKV_ADDRESS_SANITIZER)
  __asan_unpoison_memory_region(memory, size);
#else
  (void)memory, (void)size;
#endif
}

}  // namespace swkv
