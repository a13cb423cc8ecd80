// A private registry for one test: the registry the component sees is empty when the sandbox is
// made and is thrown away with it. On POSIX it is a fresh temporary SWKV_REGISTRY_ROOT; on
// Windows HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT are redirected to a scratch key of the
// current user, so that no test ever touches the machine's own registry.
#pragma once

#include <string>
#include <vector>

#include "platform/win.h"
#include "tests/support/files.h"

namespace swkv::test {

class RegistrySandbox {
 public:
  RegistrySandbox();
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  // The POSIX registry's root directory (empty on Windows).
  const std::string& root() const { return m_root; }

  // Makes the existing key path below hive readable only: opening it with write rights fails
  // with ERROR_ACCESS_DENIED, as a key whose access control list allows reading only.
  void MakeReadOnly(HKEY hive, const std::string& path);

 private:
  std::string m_root;          // POSIX: the temporary root directory
  ScopedEnv m_environment;     // POSIX: SWKV_REGISTRY_ROOT naming it
  std::string m_scratchKey;    // Windows: the current user's key the hives are redirected to
  std::vector<std::pair<HKEY, std::string>> m_readOnly;
};

// Helpers for arranging and checking registry contents in tests.
void SetString(HKEY hive, const std::string& path, const char* name, const std::string& text);
// The value's data as text (its terminator removed); "<missing>" when the key or value is absent.
std::string GetString(HKEY hive, const std::string& path, const char* name);

}  // namespace swkv::test
