// Module handles and their file paths.
#include <dlfcn.h>
#include <link.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/posix/modules.h"
#include "platform/win.h"

namespace swkv::posix {

HMODULE MainModule() noexcept {
  // The program headers lie inside the program's own first mapping.
  static const HMODULE main = [] {
    Dl_info info{};
    void* headers = reinterpret_cast<void*>(getauxval(AT_PHDR));
    return headers && dladdr(headers, &info) ? static_cast<HMODULE>(info.dli_fbase) : nullptr;
  }();
  return main;
}

bool ModuleFilePath(HMODULE module, std::string& path) {
  if (!module) module = MainModule();
  Dl_info info{};
  link_map* map = nullptr;
  if (!module || !dladdr1(module, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) ||
      info.dli_fbase != module || !map) {
    return false;
  }
  if (map->l_name && map->l_name[0] == '/') {
    path = map->l_name;
    return true;
  }
  if (map->l_name && map->l_name[0] != '\0') {
    // Loaded by a relative path: resolved against the current directory, as the loader did.
    char resolved[PATH_MAX];
    if (!realpath(map->l_name, resolved)) return false;
    path = resolved;
    return true;
  }
  // The main program has no name in the link map.
  char exe[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof exe) return false;
  path.assign(exe, static_cast<std::size_t>(n));
  return true;
}

}  // namespace swkv::posix

extern "C" DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  std::string path;
  if (!swkv::posix::ModuleFilePath(module, path)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (path.size() < size) {
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  if (size > 0) {
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
  }
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}
