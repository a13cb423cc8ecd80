#include "com/module_lock.h"

#include <atomic>

namespace swkv {

namespace {
// Changed atomically: class-factory locks and object lifetimes may be counted from other threads.
std::atomic<long> g_moduleLocks{0};
}  // namespace

void LockModule() noexcept { g_moduleLocks.fetch_add(1, std::memory_order_relaxed); }
void UnlockModule() noexcept { g_moduleLocks.fetch_sub(1, std::memory_order_acq_rel); }
long ModuleLockCount() noexcept { return g_moduleLocks.load(std::memory_order_acquire); }

}  // namespace swkv
