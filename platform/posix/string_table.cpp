// String tables of modules, registered by the modules themselves and read with LoadStringA.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/posix/modules.h"
#include "platform/resource_script.h"

namespace {

struct StringTables {
  std::mutex lock;
  std::map<HINSTANCE, std::unordered_map<UINT, std::string>> byModule;
};

StringTables& Tables() {
  // Never destroyed: modules unregister from their own static destructors, which may run after
  // this library's at process exit.
  static StringTables* tables = new StringTables;
  return *tables;
}

}  // namespace

extern "C" {

BOOL SwkvRegisterStringTable(HINSTANCE module, const SWKV_STRING_RESOURCE* entries, UINT count) {
  if (!module || (!entries && count != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::unordered_map<UINT, std::string> table;
  for (UINT i = 0; i < count; ++i) table[entries[i].id] = entries[i].text ? entries[i].text : "";
  StringTables& tables = Tables();
  std::lock_guard guard(tables.lock);
  tables.byModule[module] = std::move(table);
  return TRUE;
}

void SwkvUnregisterStringTable(HINSTANCE module) {
  StringTables& tables = Tables();
  std::lock_guard guard(tables.lock);
  tables.byModule.erase(module);
}

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  if (!buffer || bufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  buffer[0] = '\0';
  if (!instance) instance = swkv::posix::MainModule();
  StringTables& tables = Tables();
  std::lock_guard guard(tables.lock);
  auto module = tables.byModule.find(instance);
  if (module == tables.byModule.end()) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  auto entry = module->second.find(id);
  if (entry == module->second.end()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  std::size_t n = std::min(entry->second.size(), static_cast<std::size_t>(bufferMax - 1));
  std::memcpy(buffer, entry->second.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

}  // extern "C"
