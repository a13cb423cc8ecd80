#include "platform/module_instance.h"

// The linker defines __ImageBase in every image at the image's own base address, which is the
// image's HINSTANCE; unlike a handle saved in DllMain it is valid before DllMain has run.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace swkv {

HINSTANCE ModuleInstance() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

void PinModule() noexcept {
  static const bool pinned = [] {
    HMODULE module = nullptr;
    return GetModuleHandleExA(
               GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
               reinterpret_cast<LPCSTR>(&__ImageBase), &module) != FALSE;
  }();
  (void)pinned;
}

}  // namespace swkv
