// The NT family's place for the adapter settings: one value under the driver's service key.
#include "platform/reg_key.h"
#include "settings/settings_layouts.h"
#include "settings/settings_value.h"

namespace swkv {

namespace {
constexpr const char* kDriverKey = "SYSTEM\\CurrentControlSet\\Services\\Swiftbay\\Parameters\\Device";
constexpr const char* kDriverValue = "DriverParameter";
}  // namespace

bool StoreInDriverKey(std::string_view name, std::int32_t value) {
  UniqueHkey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDriverKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS &&
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDriverKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  std::string text;
  return ReadSettingsText(key.get(), kDriverValue, kDriverKeyTextCapacity, text) &&
         PutSettingIntoText(text, name, value, kDriverKeyTextCapacity) &&
         WriteSettingsText(key.get(), kDriverValue, text);
}

}  // namespace swkv
