// Windows: the runtime is told apart by its system library.
#ifdef _WIN32

#include "platform/win.h"
#include "tests/support/system_traits.h"

namespace swkv::test {

bool RunningOnWine() {
  // Wine's ntdll exports its own version query; Windows' has no such export.
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace swkv::test

#endif
