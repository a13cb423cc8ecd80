// Two small modules that carry the component's resources as the component module does: the
// first with the version block, the second built without it. Each answers its own instance.
#pragma once

#include <string>

#include "platform/win.h"

extern "C" HINSTANCE SwkvTestVersionedModule();
extern "C" HINSTANCE SwkvTestPlainModule();

// The file a module was loaded from, as GetModuleFileNameA gives it; empty when it fails.
inline std::string ModulePath(HMODULE module) {
  char path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(module, path, sizeof path);
  return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}
