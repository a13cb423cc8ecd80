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
  m_copyDirectory = directory.string();
  // The copy fails only with the temporary folder full or gone: the exception fails the test.
  std::filesystem::create_directories(directory);
  std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
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
