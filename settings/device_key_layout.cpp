// The 9x family's place for the adapter settings: one value in the hardware key of every
// installed instance of a supported controller.
#include <array>
#include <string>
#include <vector>

#include "platform/reg_key.h"
#include "settings/settings_layouts.h"
#include "settings/settings_value.h"

namespace swkv {

namespace {

constexpr const char* kPciKey = "Enum\\PCI";
constexpr const char* kDeviceValue = "AdapterSettings";
constexpr DWORD kKeyNameCapacity = 512;

// Device keys are named by the hardware identifier; only its beginning is compared, so
// "VEN_7E5D&DEV_5C21&SUBSYS_00000000" is a row-1 controller.
constexpr std::array<std::string_view, 5> kDevicePrefixes = {
    "VEN_7E5D&DEV_5C21", "VEN_7E5D&DEV_5C27", "VEN_7E5D&DEV_1C27",
    "VEN_7E5D&DEV_5C20", "VEN_7E5D&DEV_1C20",
};

bool IsSupportedDevice(std::string_view keyName) {
  auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  for (std::string_view prefix : kDevicePrefixes) {
    if (keyName.size() < prefix.size()) continue;
    bool equal = true;
    for (std::size_t i = 0; i < prefix.size() && equal; ++i) equal = fold(keyName[i]) == prefix[i];
    if (equal) return true;
  }
  return false;
}

// One subkey name per index, until the enumeration reports no further key. False when the
// enumeration fails for another reason: the key could not be walked.
template <class Visit>
bool ForEachSubkey(HKEY key, Visit visit) {
  for (DWORD index = 0;; ++index) {
    char name[kKeyNameCapacity];
    DWORD length = kKeyNameCapacity;
    LONG status = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status == ERROR_MORE_DATA) continue;  // longer than any key name Windows allows
    if (status != ERROR_SUCCESS) return false;
    if (!visit(std::string(name, length))) return false;
  }
}

struct PendingWrite {
  UniqueHkey instance;
  std::string text;
};

}  // namespace

bool StoreInDeviceKeys(std::string_view name, std::int32_t value) {
  UniqueHkey pci;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPciKey, 0, KEY_ALL_ACCESS, pci.put()) != ERROR_SUCCESS)
    return false;

  // Every instance's new text is worked out before any is written: when one instance's text
  // cannot be read or the setting would not fit in it, no controller gets the change.
  std::vector<PendingWrite> writes;
  bool walked = ForEachSubkey(pci.get(), [&](const std::string& deviceName) {
    if (!IsSupportedDevice(deviceName)) return true;
    UniqueHkey device;
    std::string devicePath = std::string(kPciKey) + "\\" + deviceName;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, devicePath.c_str(), 0, KEY_ALL_ACCESS, device.put()) !=
        ERROR_SUCCESS)
      return true;  // a device key that cannot be opened is skipped
    return ForEachSubkey(device.get(), [&](const std::string& instanceName) {
      PendingWrite write;
      if (RegOpenKeyExA(device.get(), instanceName.c_str(), 0, KEY_ALL_ACCESS,
                        write.instance.put()) != ERROR_SUCCESS)
        return true;  // so is an instance
      if (!ReadSettingsText(write.instance.get(), kDeviceValue, kDeviceKeyTextCapacity,
                            write.text) ||
          !PutSettingIntoText(write.text, name, value, kDeviceKeyTextCapacity))
        return false;
      writes.push_back(std::move(write));
      return true;
    });
  });
  if (!walked) return false;

  bool allWritten = true;
  for (const PendingWrite& write : writes)
    allWritten = WriteSettingsText(write.instance.get(), kDeviceValue, write.text) && allWritten;
  return allWritten;
}

}  // namespace swkv
