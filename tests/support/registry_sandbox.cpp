#include "tests/support/registry_sandbox.h"

#include <gtest/gtest.h>

#include "platform/reg_key.h"

namespace swkv::test {

void SetString(HKEY hive, const std::string& path, const char* name, const std::string& text) {
  UniqueHkey key;
  ASSERT_EQ(RegCreateKeyExA(hive, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_SUCCESS)
      << path;
  ASSERT_EQ(RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS)
      << path << " " << name;
}

std::string GetString(HKEY hive, const std::string& path, const char* name) {
  UniqueHkey key;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return "<missing>";
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return "<missing>";
  std::string data(size, '\0');
  RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<LPBYTE>(data.data()), &size);
  data.resize(size);
  if (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}

}  // namespace swkv::test
