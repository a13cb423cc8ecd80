#include "platform/posix/registry_handles.h"

#include <memory>
#include <mutex>
#include <new>
#include <unordered_set>
#include <utility>

namespace swkv::registry {

namespace {

struct OpenKey {
  KeyRef key;
};

// The component calls from one thread, but the library is shared by whatever loads it.
std::mutex g_mutex;
std::unordered_set<OpenKey*> g_open;

bool PredefinedHive(HKEY handle, HiveId& hive) {
  if (handle == HKEY_CLASSES_ROOT) {
    hive = HiveId::kClassesRoot;
  } else if (handle == HKEY_CURRENT_USER) {
    hive = HiveId::kCurrentUser;
  } else if (handle == HKEY_LOCAL_MACHINE) {
    hive = HiveId::kLocalMachine;
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool IsPredefinedHandle(HKEY handle) {
  HiveId hive;
  return PredefinedHive(handle, hive);
}

LONG ResolveHandle(HKEY handle, KeyRef& key) {
  HiveId hive;
  if (PredefinedHive(handle, hive)) {
    key = KeyRef{RegistryRootDirectory(), hive, {}, kAllKeyRights};
    return ERROR_SUCCESS;
  }
  std::lock_guard lock(g_mutex);
  auto* open = reinterpret_cast<OpenKey*>(handle);
  if (!g_open.contains(open)) return ERROR_INVALID_HANDLE;
  key = open->key;
  return ERROR_SUCCESS;
}

HKEY OpenHandle(KeyRef key) {
  std::unique_ptr<OpenKey> open(new (std::nothrow) OpenKey{std::move(key)});
  if (!open) return nullptr;
  std::lock_guard lock(g_mutex);
  g_open.insert(open.get());
  return reinterpret_cast<HKEY>(open.release());
}

LONG CloseHandle(HKEY handle) {
  if (IsPredefinedHandle(handle)) return ERROR_SUCCESS;
  auto* open = reinterpret_cast<OpenKey*>(handle);
  {
    std::lock_guard lock(g_mutex);
    if (g_open.erase(open) == 0) return ERROR_INVALID_HANDLE;
  }
  delete open;
  return ERROR_SUCCESS;
}

}  // namespace swkv::registry
