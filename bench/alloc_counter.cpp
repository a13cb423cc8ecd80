#include "bench/alloc_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> g_allocations{0};
std::atomic<std::int64_t> g_liveBytes{0};
std::atomic<std::int64_t> g_liveBlocks{0};

// Each block carries the size asked for in a header of its own, so that what it held is known
// when it is freed, whichever form of delete frees it.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) noexcept {
  auto* block = static_cast<unsigned char*>(std::malloc(kHeader + size));
  if (!block) return nullptr;
  *reinterpret_cast<std::size_t*>(block) = size;
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  g_liveBytes.fetch_add(static_cast<std::int64_t>(size), std::memory_order_relaxed);
  g_liveBlocks.fetch_add(1, std::memory_order_relaxed);
  return block + kHeader;
}

void Free(void* p) noexcept {
  if (!p) return;
  unsigned char* block = static_cast<unsigned char*>(p) - kHeader;
  std::size_t size = *reinterpret_cast<std::size_t*>(block);
  g_liveBytes.fetch_sub(static_cast<std::int64_t>(size), std::memory_order_relaxed);
  g_liveBlocks.fetch_sub(1, std::memory_order_relaxed);
  std::free(block);
}

}  // namespace

namespace swkv::bench {
std::uint64_t AllocationCount() { return g_allocations.load(std::memory_order_relaxed); }
std::int64_t LiveBytes() { return g_liveBytes.load(std::memory_order_relaxed); }
std::int64_t LiveBlocks() { return g_liveBlocks.load(std::memory_order_relaxed); }
}  // namespace swkv::bench

void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
