// CreateMutexA, WaitForSingleObject, ReleaseMutex and CloseHandle over the registry folder's
// lock files (see synchapi.h).
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <string_view>

#include "platform/file_io.h"
#include "platform/named_mutex.h"
#include "platform/posix/registry_store.h"
#include "platform/win.h"

namespace swkv {
// The lock files take the registry folder's permissions: there is nothing more to give.
LPSECURITY_ATTRIBUTES MachineWideObjectSecurity() { return nullptr; }
}  // namespace swkv

namespace {

struct NamedMutex {
  std::string lockPath;
  std::mutex guard;  // over the fields below, within this process
  std::condition_variable released;
  swkv::FileLock lock;
  DWORD owner = 0;  // the owning thread, 0 when none
  unsigned count = 0;
};

// The open handles, so that a stray or closed handle is refused rather than followed.
std::mutex g_handlesGuard;
std::set<NamedMutex*> g_handles;

NamedMutex* Find(HANDLE handle) {
  std::lock_guard<std::mutex> hold(g_handlesGuard);
  auto* mutex = static_cast<NamedMutex*>(handle);
  return g_handles.contains(mutex) ? mutex : nullptr;
}

}  // namespace

extern "C" {

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string_view bare(name);
  for (std::string_view prefix : {"Global\\", "Local\\"})
    if (bare.starts_with(prefix)) bare.remove_prefix(prefix.size());
  // Windows takes a backslash for a folder of the object namespace, which is not there; a
  // slash would be one of our lock file's path.
  if (bare.find('\\') != std::string_view::npos) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  if (bare.empty() || bare.find('/') != std::string_view::npos) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  const std::string root = swkv::registry::RegistryRootDirectory();
  if (root.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  auto* mutex = new (std::nothrow) NamedMutex;
  if (!mutex) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  mutex->lockPath = root + "/mutex-" + std::string(bare) + ".lock";
  {
    std::lock_guard<std::mutex> hold(g_handlesGuard);
    g_handles.insert(mutex);
  }
  if (initialOwner && WaitForSingleObject(mutex, INFINITE) != WAIT_OBJECT_0) {
    const DWORD error = GetLastError();
    CloseHandle(mutex);
    SetLastError(error);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return mutex;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  NamedMutex* mutex = Find(handle);
  if (!mutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const DWORD self = GetCurrentThreadId();
  const DWORD waitMs = swkv::registry::LockWaitMs(milliseconds);
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> hold(mutex->guard);
  if (mutex->owner == self) {
    ++mutex->count;
    return WAIT_OBJECT_0;
  }
  // Another thread of this process owns it: wait for that one first, then for other processes.
  auto free = [&] { return mutex->owner == 0; };
  if (waitMs == INFINITE) {
    mutex->released.wait(hold, free);
  } else if (!mutex->released.wait_until(hold, start + std::chrono::milliseconds(waitMs), free)) {
    return WAIT_TIMEOUT;
  }
  // This thread has it within the process; the lock file is waited for outside the guard, so
  // that other threads' calls are not held up meanwhile.
  mutex->owner = self;
  mutex->count = 0;
  hold.unlock();
  const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  const DWORD left = waitMs == INFINITE ? swkv::FileLock::kWaitForever
                     : spent.count() >= waitMs ? 0
                                               : waitMs - static_cast<DWORD>(spent.count());
  std::string error;
  bool busy = false;
  const bool held =
      swkv::EnsureDirectory(mutex->lockPath.substr(0, mutex->lockPath.rfind('/')), error) &&
      mutex->lock.Acquire(mutex->lockPath, error, left, &busy);
  hold.lock();
  if (held) {
    mutex->count = 1;
    return WAIT_OBJECT_0;
  }
  mutex->owner = 0;
  mutex->released.notify_all();
  // The lock file had only what was left of the wait; the caller waited for all of it.
  const std::string_view gaveUp = "gave up after ";
  if (busy && error.starts_with(gaveUp) && error.find(" ms ") != std::string::npos)
    error = std::string(gaveUp) + std::to_string(waitMs) + error.substr(error.find(" ms "));
  if (!busy || waitMs != 0) std::fprintf(stderr, "swkv registry: %s\n", error.c_str());
  if (busy) return WAIT_TIMEOUT;
  SetLastError(ERROR_CANTWRITE);
  return WAIT_FAILED;
}

BOOL WINAPI ReleaseMutex(HANDLE handle) {
  NamedMutex* mutex = Find(handle);
  if (!mutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> hold(mutex->guard);
  if (mutex->owner != GetCurrentThreadId()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  if (--mutex->count == 0) {
    mutex->lock.Release();
    mutex->owner = 0;
    mutex->released.notify_all();
  }
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  {
    std::lock_guard<std::mutex> hold(g_handlesGuard);
    if (g_handles.erase(static_cast<NamedMutex*>(handle)) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  delete static_cast<NamedMutex*>(handle);  // its lock file's lock goes with it
  return TRUE;
}

}  // extern "C"
