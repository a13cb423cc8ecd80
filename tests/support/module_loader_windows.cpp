// Windows: modules are loaded with LoadLibrary.
#ifdef _WIN32

#include <filesystem>

#include "platform/win.h"
#include "tests/support/module_loader.h"

namespace swkv::test {

bool LoadedModule::Load(const std::string& path) {
  Unload();
  return Open(path);
}

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

bool LoadedModule::LoadCopy(const std::string& path) {
  Unload();
  static int counter = 0;
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() /
      ("swkv-module-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
  std::error_code failure;
  std::filesystem::create_directories(directory, failure);
  const std::filesystem::path source(path);
  const std::filesystem::path copy = directory / source.filename();
  if (!failure) std::filesystem::copy_file(source, copy, failure);
  m_copyDirectory = directory.string();
  if (failure) {
    m_error = "cannot copy " + path + ": " + failure.message();
    Unload();
    return false;
  }
  return Open(copy.string());
}

void LoadedModule::Unload() {
  if (m_handle) FreeLibrary(static_cast<HMODULE>(m_handle));
  m_handle = nullptr;
  if (!m_copyDirectory.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(m_copyDirectory, ignored);
    m_copyDirectory.clear();
  }
}

void* LoadedModule::Symbol(const char* name) const {
  return m_handle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name))
                  : nullptr;
}

}  // namespace swkv::test

#endif
