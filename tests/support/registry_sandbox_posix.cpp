// The POSIX sandbox: a fresh temporary registry root directory.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/registry_sandbox.h"

namespace swkv::test {

RegistrySandbox::RegistrySandbox() {
  std::string pattern = std::filesystem::temp_directory_path() / "swkv-registry-XXXXXX";
  EXPECT_NE(::mkdtemp(pattern.data()), nullptr) << "cannot make a directory from " << pattern;
  m_root = pattern;
  m_environment.Set("SWKV_REGISTRY_ROOT", m_root.c_str());
}

RegistrySandbox::~RegistrySandbox() {
  std::error_code ignored;
  std::filesystem::remove_all(m_root, ignored);
}

void RegistrySandbox::MakeReadOnly(HKEY hive, const std::string& path) {
  ASSERT_EQ(SwkvRegSetKeyAccess(hive, path.c_str(), KEY_READ), ERROR_SUCCESS) << path;
}

}  // namespace swkv::test

#endif
