// The component module's lock count: every node, enumerator and server lock holds one, and the
// module may be unloaded only while the count is 0.
#pragma once

namespace swkv {

void LockModule() noexcept;
void UnlockModule() noexcept;
long ModuleLockCount() noexcept;

// Holds one module lock for its own lifetime.
class ModuleLock {
 public:
  ModuleLock() noexcept { LockModule(); }
  ~ModuleLock() { UnlockModule(); }
  ModuleLock(const ModuleLock&) = delete;
  ModuleLock& operator=(const ModuleLock&) = delete;
};

}  // namespace swkv
