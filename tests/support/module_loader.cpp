#include "tests/support/module_loader.h"

#include <filesystem>

#include "tests/support/files.h"

namespace swkv::test {

bool LoadedModule::LoadCopy(const std::string& path) {
  Unload();
  static int counter = 0;
  const std::filesystem::path source(path);
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() /
      ("swkv-module-" + std::to_string(ProcessId()) + "-" + std::to_string(++counter));
  const std::filesystem::path copy = directory / source.filename();
  std::error_code failure;
  std::filesystem::create_directories(directory, failure);
  if (!failure)
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing,
                               failure);
  m_copyDirectory = directory.string();
  if (failure) {
    m_error = "cannot copy " + path + ": " + failure.message();
    Unload();
    return false;
  }
  return Open(copy.string());
}

void LoadedModule::Unload() {
  Close();
  if (!m_copyDirectory.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(m_copyDirectory, ignored);
    m_copyDirectory.clear();
  }
}

}  // namespace swkv::test
