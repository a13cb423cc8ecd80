// Windows: modules are loaded with LoadLibrary.
#ifdef _WIN32

#include "platform/win.h"
#include "tests/support/module_loader.h"

namespace swkv::test {

bool LoadedModule::Open(const std::string& path) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    m_error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  m_handle = module;
  m_path = path;
  return true;
}

void LoadedModule::Close() {
  if (m_handle) FreeLibrary(static_cast<HMODULE>(m_handle));
  m_handle = nullptr;
}

void* LoadedModule::Symbol(const char* name) const {
  return m_handle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name))
                  : nullptr;
}

}  // namespace swkv::test

#endif
