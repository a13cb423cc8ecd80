// The Windows sandbox: the machine-wide hives redirected to a scratch key of the current user.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "platform/reg_key.h"
#include "tests/support/registry_sandbox.h"

#include <sddl.h>  // after windows.h, which it needs

namespace swkv::test {

namespace {

std::string ScratchPath() {
  static int counter = 0;
  return "Software\\swkv-tests\\" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter);
}

void Redirect(HKEY hive, const std::string& path) {
  UniqueHkey target;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, target.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(hive, target.get()), ERROR_SUCCESS);
}

// Gives the key an access control list with the given rights for everyone.
void SetAccess(HKEY hive, const std::string& path, const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  UniqueHkey key;
  LONG status = RegOpenKeyExA(hive, path.c_str(), 0, WRITE_DAC, key.put());
  if (status == ERROR_SUCCESS)
    status = RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  ASSERT_EQ(status, ERROR_SUCCESS) << path;
}

}  // namespace

RegistrySandbox::RegistrySandbox() {
  m_scratchKey = ScratchPath();
  Redirect(HKEY_LOCAL_MACHINE, m_scratchKey + "\\HKLM");
  Redirect(HKEY_CLASSES_ROOT, m_scratchKey + "\\HKCR");
}

RegistrySandbox::~RegistrySandbox() {
  // Give the read-only keys their rights back, or the scratch key could not be deleted.
  for (const auto& [hive, path] : m_readOnly) SetAccess(hive, path, "D:(A;OICI;KA;;;WD)");
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegDeleteTreeA(HKEY_CURRENT_USER, m_scratchKey.c_str());
}

void RegistrySandbox::MakeReadOnly(HKEY hive, const std::string& path) {
  SetAccess(hive, path, "D:P(A;;KR;;;WD)");
  m_readOnly.emplace_back(hive, path);
}

}  // namespace swkv::test

#endif
