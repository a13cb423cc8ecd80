// A mutex shared by every process of the machine, held for one scope; the same on both systems.
#pragma once

#include <utility>

#include "platform/win.h"

namespace swkv {

// The security of objects that every process of the machine shares: on Windows full access for
// SYSTEM and the administrators, whichever of them made the object first (the agent's service
// or an administrator's console), so that each can wait for it and release it. Null on POSIX,
// where the registry folder's permissions decide. Null also when it cannot be built.
LPSECURITY_ATTRIBUTES MachineWideObjectSecurity();

// Owns a kernel object handle; closes it with CloseHandle when destroyed.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  void reset(HANDLE handle = nullptr) {
    if (HANDLE old = std::exchange(m_handle, handle)) CloseHandle(old);
  }
  HANDLE get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }

 private:
  HANDLE m_handle = nullptr;
};

// Owns one ownership of a named mutex, from Acquire until destroyed (ReleaseMutex, then the
// handle is closed).
class NamedMutexLock {
 public:
  NamedMutexLock() = default;
  NamedMutexLock(const NamedMutexLock&) = delete;
  NamedMutexLock& operator=(const NamedMutexLock&) = delete;
  ~NamedMutexLock() {
    if (m_owned) ReleaseMutex(m_mutex.get());
  }

  // Opens the mutex of that name (made when missing) and waits at most waitMs for it. True
  // when the calling thread owns it, also when its last owner ended without releasing it.
  // False when it cannot be opened, or when another holder kept it all that time.
  bool Acquire(const char* name, DWORD waitMs) {
    if (m_owned) return false;
    m_mutex.reset(CreateMutexA(MachineWideObjectSecurity(), FALSE, name));
    if (!m_mutex) return false;
    const DWORD outcome = WaitForSingleObject(m_mutex.get(), waitMs);
    m_owned = outcome == WAIT_OBJECT_0 || outcome == WAIT_ABANDONED;
    return m_owned;
  }

 private:
  UniqueHandle m_mutex;
  bool m_owned = false;
};

}  // namespace swkv
