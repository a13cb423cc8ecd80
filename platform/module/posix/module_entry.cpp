// POSIX: the module's start-up and exit run as the construction and destruction of an object of
// static storage duration, when the dynamic loader loads and unloads the module. Its instance
// handle is, as on Windows, the address at which its image begins.
#include <dlfcn.h>

#include <climits>
#include <cstdlib>

#include "platform/module/module_entry.h"

namespace {

HINSTANCE OwnInstance() {
  static const char anchor = 0;
  Dl_info info{};
  if (!dladdr(&anchor, &info)) return nullptr;
  return static_cast<HINSTANCE>(info.dli_fbase);
}

struct ModuleEntry {
  ModuleEntry() { swkv::ModuleAttach(OwnInstance()); }
  ~ModuleEntry() { swkv::ModuleDetach(); }
  ModuleEntry(const ModuleEntry&) = delete;
  ModuleEntry& operator=(const ModuleEntry&) = delete;
};

ModuleEntry g_entry;

}  // namespace

namespace swkv {

std::string ModuleFilePath(HINSTANCE instance) {
  Dl_info info{};
  if (!instance || !dladdr(instance, &info) || !info.dli_fname || !info.dli_fname[0]) return {};
  // The loader keeps the name the module was loaded by, which may be relative.
  char resolved[PATH_MAX];
  if (!realpath(info.dli_fname, resolved)) return {};
  return resolved;
}

}  // namespace swkv
