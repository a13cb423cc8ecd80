// POSIX: modules are loaded with the dynamic loader.
#ifndef _WIN32

#include <dlfcn.h>

#include "tests/support/module_loader.h"

namespace swkv::test {

bool LoadedModule::Open(const std::string& path) {
  m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_handle) {
    const char* reason = dlerror();
    m_error = reason ? reason : "cannot load " + path;
    return false;
  }
  m_path = path;
  return true;
}

void LoadedModule::Close() {
  if (m_handle) dlclose(m_handle);
  m_handle = nullptr;
}

void* LoadedModule::Symbol(const char* name) const {
  return m_handle ? dlsym(m_handle, name) : nullptr;
}

}  // namespace swkv::test

#endif
