// The POSIX sandbox: a fresh temporary registry root directory.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/registry_sandbox.h"

namespace swkv::test {

RegistrySandbox::RegistrySandbox() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/swkv-registry-XXXXXX";
  if (!::mkdtemp(pattern.data())) {
    ADD_FAILURE() << "cannot make a temporary directory from " << pattern;
    return;
  }
  m_root = pattern;
  if (const char* previous = std::getenv("SWKV_REGISTRY_ROOT")) {
    m_hadPreviousRoot = true;
    m_previousRoot = previous;
  }
  ::setenv("SWKV_REGISTRY_ROOT", m_root.c_str(), 1);
}

RegistrySandbox::~RegistrySandbox() {
  if (m_hadPreviousRoot)
    ::setenv("SWKV_REGISTRY_ROOT", m_previousRoot.c_str(), 1);
  else
    ::unsetenv("SWKV_REGISTRY_ROOT");
  std::error_code ignored;
  if (!m_root.empty()) std::filesystem::remove_all(m_root, ignored);
}

void RegistrySandbox::MakeReadOnly(HKEY hive, const std::string& path) {
  ASSERT_EQ(SwkvRegSetKeyAccess(hive, path.c_str(), KEY_READ), ERROR_SUCCESS) << path;
}

}  // namespace swkv::test

#endif
