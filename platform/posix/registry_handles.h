// Registry key handles: what an HKEY stands for in our registry.
//
// A handle names its key by hive and path (in the spelling found when it was opened) and keeps
// the rights it was opened with. Nothing of the hive's contents is kept: every call reads the
// hive afresh, so a handle sees what other processes wrote after it was opened. The root
// directory is fixed when the handle is opened; the predefined handles look it up at each call.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/registry_store.h"

namespace swkv::registry {

struct KeyRef {
  std::string root;
  HiveId hive = HiveId::kLocalMachine;
  std::vector<std::string> path;  // empty for the hive's root key
  REGSAM access = kAllKeyRights;
};

// The key a handle stands for. ERROR_INVALID_HANDLE for a value that is neither a predefined key
// nor an open handle.
LONG ResolveHandle(HKEY handle, KeyRef& key);

// True for HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
bool IsPredefinedHandle(HKEY handle);

// A new handle for key; null when no memory is left.
HKEY OpenHandle(KeyRef key);

// Forgets a handle. ERROR_INVALID_HANDLE when it is not open; predefined handles stay valid.
LONG CloseHandle(HKEY handle);

}  // namespace swkv::registry
