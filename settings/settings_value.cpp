#include "settings/settings_value.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "settings/adapter_settings_table.h"

namespace swkv {

bool ReadSettingsText(HKEY key, const char* valueName, std::size_t capacity, std::string& text) {
  text.clear();
  std::vector<char> buffer(capacity);
  DWORD size = static_cast<DWORD>(capacity);
  DWORD type = REG_NONE;
  LONG status = RegQueryValueExA(key, valueName, nullptr, &type,
                                 reinterpret_cast<LPBYTE>(buffer.data()), &size);
  if (status == ERROR_FILE_NOT_FOUND) return true;
  if (status != ERROR_SUCCESS) return false;
  // The text ends at its terminator, or at the end of what was read if someone stored it without.
  std::size_t length = std::min<std::size_t>(size, capacity);
  const void* terminator = std::memchr(buffer.data(), '\0', length);
  if (terminator) length = static_cast<std::size_t>(static_cast<const char*>(terminator) - buffer.data());
  text.assign(buffer.data(), length);
  return true;
}

bool PutSettingIntoText(std::string& text, std::string_view name, std::int32_t value,
                        std::size_t capacity) {
  ParseSettingsText(text);
  if (!PutSetting(name, value)) return false;
  std::string updated;
  FormatSettingsText(updated);
  if (updated.size() + 1 > capacity) return false;
  text = std::move(updated);
  return true;
}

bool WriteSettingsText(HKEY key, const char* valueName, const std::string& text) {
  return RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace swkv
