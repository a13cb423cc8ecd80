// Windows: the module's start-up and exit run from DllMain, on process attach and detach.
#include "platform/module/module_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(instance);
      swkv::ModuleAttach(instance);
      break;
    case DLL_PROCESS_DETACH:
      swkv::ModuleDetach();
      break;
    default:
      break;
  }
  return TRUE;
}

namespace swkv {

std::string ModuleFilePath(HINSTANCE instance) {
  char path[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(instance, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  return std::string(path, length);
}

}  // namespace swkv
