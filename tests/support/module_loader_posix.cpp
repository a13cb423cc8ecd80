// POSIX: modules are loaded with the dynamic loader.
#ifndef _WIN32

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>

#include "tests/support/module_loader.h"

namespace swkv::test {

bool LoadedModule::Load(const std::string& path) {
  Unload();
  return Open(path);
}

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

bool LoadedModule::LoadCopy(const std::string& path) {
  Unload();
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/swkv-module-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    m_error = "cannot make a directory from " + pattern;
    return false;
  }
  const std::filesystem::path source(path);
  const std::filesystem::path copy = std::filesystem::path(pattern) / source.filename();
  std::error_code failure;
  std::filesystem::copy_file(source, copy, failure);
  m_copyDirectory = pattern;
  if (failure) {
    m_error = "cannot copy " + path + ": " + failure.message();
    Unload();
    return false;
  }
  return Open(copy.string());
}

void LoadedModule::Unload() {
  if (m_handle) dlclose(m_handle);
  m_handle = nullptr;
  if (!m_copyDirectory.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(m_copyDirectory, ignored);
    m_copyDirectory.clear();
  }
}

void* LoadedModule::Symbol(const char* name) const {
  return m_handle ? dlsym(m_handle, name) : nullptr;
}

}  // namespace swkv::test

#endif
