#include "platform/module_instance.h"

#include <dlfcn.h>

namespace swkv {

namespace {
// An object with internal linkage: its address lies in this module whatever other modules of the
// process define, so no symbol interposition can send the lookup to another module.
const char g_anchor = 0;
}  // namespace

HINSTANCE ModuleInstance() noexcept {
  static const HINSTANCE instance = [] {
    Dl_info info{};
    return dladdr(&g_anchor, &info) ? static_cast<HINSTANCE>(info.dli_fbase) : nullptr;
  }();
  return instance;
}

void PinModule() noexcept {
  static const bool pinned = [] {
    Dl_info info{};
    if (!dladdr(&g_anchor, &info) || !info.dli_fname) return false;
    // One more reference on the module that is never given back.
    return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD) != nullptr;
  }();
  (void)pinned;
}

}  // namespace swkv
