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

}  // namespace swkv
