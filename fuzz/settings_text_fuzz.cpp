// Fuzz target: the adapter settings text the driver reads from the registry, as the settings
// table parses, edits and formats it, and as the store and the controller's settings actions
// rewrite it in the registry.
//
// Input: byte 0 steers, the rest is "NAME\nVALUE\nTEXT" (missing parts are empty): a setting name,
// a value in decimal (read as the controller reads action arguments) and a settings text.
//   bits 0-1  0 and 3: the table alone; 1: also StoreAdapterSetting(NAME, VALUE) with TEXT as the
//             stored value; 2: also the action NAME with the argument VALUE on the first
//             controller of a new tree over the simulated library, TEXT being the stored value
//   bit 2     the 9x family (the value of every controller instance) instead of NT (driver key)
//   bit 3     TEXT is stored without its terminator
//   bit 4     the value is missing instead
//   bits 5-7  the room given to PutSettingIntoText: 1024, 512, or around what the new text needs
// Checked against a model of the text written here: parsing gives the pairs of the text, and what
// is formatted parses back to the same pairs; finding takes the first name equal but for case;
// putting changes that one value or appends (never a 33rd entry) and reads back; a put text is
// refused, unchanged, when it would not fit; a store writes exactly the put text, or nothing at
// all; the registry gives back what was written; keys of other devices are never touched.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/reg_key.h"
#include "raidlib/selection.h"
#include "river/args.h"
#include "settings/adapter_settings_store.h"
#include "settings/adapter_settings_table.h"
#include "settings/settings_layouts.h"
#include "settings/settings_value.h"
#include "settings/system_family.h"
#include "sim/sim_control.h"
#include "tree/root_node.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

// ---- the model of the text -------------------------------------------------------------------

Pairs ModelParse(std::string_view text) {
  Pairs pairs;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view token = text.substr(start, end - start);
    if (const std::size_t equals = token.find('='); equals != std::string_view::npos)
      pairs.emplace_back(token.substr(0, equals), token.substr(equals + 1));
    start = end + 1;
  }
  return pairs;
}

std::string ModelFormat(const Pairs& pairs) {
  std::string text;
  for (const auto& [name, value] : pairs) text += name + "=" + value + ";";
  return text;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::size_t ModelFind(const Pairs& pairs, std::string_view name) {
  for (std::size_t i = 0; i < pairs.size(); ++i)
    if (SameNameIgnoringCase(pairs[i].first, name)) return i;
  return pairs.size();
}

// The pairs after putting name=value; false when the table would take a 33rd entry.
bool ModelPut(Pairs& pairs, std::string_view name, std::int32_t value) {
  const std::size_t at = ModelFind(pairs, name);
  if (at < pairs.size()) {
    pairs[at].second = std::to_string(value);
    return true;
  }
  if (pairs.size() >= swkv::AdapterSettingsTable::kCapacity) return false;
  pairs.emplace_back(std::string(name), std::to_string(value));
  return true;
}

Pairs TablePairs() {
  Pairs pairs;
  for (const auto& entry : swkv::SettingsTable().entries()) pairs.emplace_back(entry.name, entry.value);
  return pairs;
}

// A name that keeps the text's shape: no separator, no "=".
bool KeepsShape(std::string_view name) {
  return name.find_first_of(std::string_view("=;", 2)) == std::string_view::npos;
}

// ---- the table -------------------------------------------------------------------------------

void CheckTable(std::string_view text, std::string_view name, std::int32_t value,
                unsigned roomChoice) {
  const Pairs parsed = ModelParse(text);
  swkv::ParseSettingsText(text);
  Check(TablePairs() == parsed);

  std::string formatted;
  swkv::FormatSettingsText(formatted);
  Check(formatted == ModelFormat(parsed));
  Check(formatted.size() <= text.size() + 1);
  swkv::ParseSettingsText(formatted);
  Check(TablePairs() == parsed);

  const std::size_t at = ModelFind(parsed, name);
  const auto* found = swkv::FindSetting(name);
  Check(at < parsed.size() ? found == &swkv::SettingsTable().entries()[at] : found == nullptr);

  Pairs put = parsed;
  const bool fits = ModelPut(put, name, value);
  Check(swkv::PutSetting(name, value) == fits);
  Check(TablePairs() == (fits ? put : parsed));
  Check(swkv::SettingsTable().entries().size() <=
        std::max(parsed.size(), swkv::AdapterSettingsTable::kCapacity));
  if (fits) {
    found = swkv::FindSetting(name);
    Check(found && found->value == std::to_string(value));
  }

  // The same through the text, in the room chosen.
  const std::string expected = ModelFormat(put);
  std::size_t room = swkv::kDriverKeyTextCapacity;
  if (roomChoice == 1) room = swkv::kDeviceKeyTextCapacity;
  if (roomChoice >= 2) room = expected.size() + roomChoice - 3;  // from one short to three spare
  std::string edited(text);
  const bool stored = swkv::PutSettingIntoText(edited, name, value, room);
  Check(stored == (fits && expected.size() + 1 <= room));
  Check(edited == (stored ? expected : std::string(text)));
  if (stored && KeepsShape(name)) Check(ModelParse(edited) == put);
}

// ---- the registry ----------------------------------------------------------------------------

constexpr const char* kDriverKey = "SYSTEM\\CurrentControlSet\\Services\\Swiftbay\\Parameters\\Device";
constexpr const char* kDriverValue = "DriverParameter";
constexpr const char* kDeviceValue = "AdapterSettings";
constexpr const char* kFirstInstance = "Enum\\PCI\\VEN_7E5D&DEV_5C21&SUBSYS_00000000\\0001";
constexpr const char* kSecondInstance = "Enum\\PCI\\ven_7e5d&dev_1c20\\Second";
constexpr const char* kOtherDevice = "Enum\\PCI\\VEN_7E5D&DEV_9999\\0001";
constexpr std::string_view kSecondText = "WRITEBACKCACHE=1;SMARTENABLE=0;";
constexpr std::string_view kOtherText = "WRITEBACKCACHE=0;";

// A registry value as raw bytes; missing is a value that is not there.
struct Raw {
  bool missing = true;
  std::string bytes;
  bool operator==(const Raw&) const = default;
};

Raw ReadRaw(const char* path, const char* valueName) {
  Raw raw;
  swkv::UniqueHkey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return raw;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return raw;
  raw.bytes.resize(size);
  DWORD type = REG_NONE;
  Check(RegQueryValueExA(key.get(), valueName, nullptr, &type,
                         reinterpret_cast<LPBYTE>(raw.bytes.data()), &size) == ERROR_SUCCESS);
  raw.bytes.resize(size);
  raw.missing = false;
  return raw;
}

void WriteRaw(const char* path, const char* valueName, const Raw& raw) {
  swkv::UniqueHkey key;
  Check(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) == ERROR_SUCCESS);
  if (raw.missing) {
    const LONG status = RegDeleteValueA(key.get(), valueName);
    Check(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
  } else {
    Check(RegSetValueExA(key.get(), valueName, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(raw.bytes.data()),
                         static_cast<DWORD>(raw.bytes.size())) == ERROR_SUCCESS);
  }
  Check(ReadRaw(path, valueName) == raw);  // the registry keeps every byte
}

Raw Terminated(std::string_view text) {
  Raw raw{false, std::string(text)};
  raw.bytes += '\0';
  return raw;
}

// What a store of name=value makes of one stored value; false when it must refuse.
bool ModelStore(const Raw& raw, std::string_view name, std::int32_t value, std::size_t room,
                Raw& result) {
  if (!raw.missing && raw.bytes.size() > room) return false;
  Pairs pairs = ModelParse(std::string_view(raw.bytes.c_str()));  // up to its terminator
  if (!ModelPut(pairs, name, value)) return false;
  const std::string text = ModelFormat(pairs);
  if (text.size() + 1 > room) return false;
  result = Terminated(text);
  return true;
}

// A private registry root, made once and removed when the process ends; tmpfs when there is one,
// since every change of the registry is flushed to its file.
void UseOwnRegistry() {
  static bool done = false;
  if (done) return;
  done = true;
  std::error_code error;
  std::filesystem::path base = "/dev/shm";
  if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
  static std::string root = (base / "swkv-fuzz-registry-XXXXXX").string();
  Check(mkdtemp(root.data()) != nullptr);
  setenv("SWKV_REGISTRY_ROOT", root.c_str(), 1);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  });
  unsetenv("SWKV_SIM_STATE");  // the simulated controllers stay in this process
  WriteRaw(kOtherDevice, kDeviceValue, Terminated(kOtherText));
}

// ---- the store and the controller's actions --------------------------------------------------

struct Place {
  const char* path;
  const char* valueName;
  std::size_t room;
};

// The values a store on this family reads and writes; the first holds the input.
std::vector<Place> Places(bool family9x) {
  if (!family9x) return {{kDriverKey, kDriverValue, swkv::kDriverKeyTextCapacity}};
  return {{kFirstInstance, kDeviceValue, swkv::kDeviceKeyTextCapacity},
          {kSecondInstance, kDeviceValue, swkv::kDeviceKeyTextCapacity}};
}

// The settings the controller keeps in the registry alone, with the entry that shows them.
struct RegistryOnlyAction {
  std::string_view action, setting, property;
};
constexpr RegistryOnlyAction kRegistryOnly[] = {
    {"SetCachePolicy", "WRITEBACKCACHE", "GetCachePolicy"},
    {"SetDisableHotSpare", "DISABLEHOTSPARE", "GetDisableHotSpare"},
};
// The settings the controller also sends to the library, which may change or refuse the value.
constexpr std::pair<std::string_view, std::string_view> kThroughLibrary[] = {
    {"SetSmart", "SMARTENABLE"},
    {"SetPCIBus", "COUNTTHRESHOLD"},
    {"SetMaintenanceRate", "MAINTENANCELENGTH"},
};

constexpr const char* kScenario = R"({"controllers":[
 {"disks":[{"disk":0,"model":"D0"},{"disk":1,"model":"D1"}],
  "arrays":[{"name":"M","mode":"mirroring","members":[0,1]}]}]})";

void CheckStoreOrAction(bool throughAction, bool family9x, const Raw& input,
                        std::string_view name, std::string_view valueText) {
  UseOwnRegistry();
  const std::int32_t value = swkv::ParseDecimal(valueText);
  swkv::OverrideSystemFamilyForTesting(family9x ? swkv::SystemFamily::kWindows9x
                                                : swkv::SystemFamily::kWindowsNt);
  const std::vector<Place> places = Places(family9x);
  std::vector<Raw> before;
  for (std::size_t i = 0; i < places.size(); ++i) {
    before.push_back(i == 0 ? input : Terminated(kSecondText));
    WriteRaw(places[i].path, places[i].valueName, before.back());
  }

  // The setting a store would put, and whether its value is known beforehand.
  std::string_view setting = name;
  bool valueKnown = true;
  const RegistryOnlyAction* registryOnly = nullptr;
  swkv::ComPtr<swkv::RootNode> root;
  swkv::CRiver* controller = nullptr;
  if (throughAction) {
    setting = {};
    for (const auto& entry : kRegistryOnly) {
      if (entry.action == name) {
        registryOnly = &entry;
        setting = entry.setting;
      }
    }
    for (const auto& [action, stored] : kThroughLibrary) {
      if (action == name) {
        setting = stored;
        valueKnown = false;
      }
    }
    Check(simLoadScenarioText(kScenario) == 0);
    simStopClock();
    swkv::ResetSelection();
    root = swkv::ComPtr<swkv::RootNode>(swkv::RootNode::New());
    controller = root->GetChild("HBA1");
    Check(controller != nullptr);
  }
  const std::string shownBefore =
      registryOnly ? controller->GetProperty(registryOnly->property) : std::string();

  bool result = true;
  if (throughAction) {
    swkv::UniqueBstr action = swkv::UniqueBstr::FromAnsi(name);
    swkv::UniqueBstr argument = swkv::UniqueBstr::FromAnsi(valueText);
    const HRESULT status = controller->invoke(action.get(), argument.get());
    Check(status == S_OK || status == S_FALSE);
  } else {
    result = swkv::StoreAdapterSetting(name, value);
  }

  std::vector<Raw> after;
  for (const Place& place : places) after.push_back(ReadRaw(place.path, place.valueName));
  Check(ReadRaw(kOtherDevice, kDeviceValue) == Terminated(kOtherText));

  // A value the library decided is read from what was written, then checked like the others.
  std::int32_t putValue = value;
  if (!valueKnown && after[0] != before[0]) {
    const Pairs written = ModelParse(std::string_view(after[0].bytes.c_str()));
    const std::size_t at = ModelFind(written, setting);
    Check(at < written.size());
    putValue = swkv::ParseDecimal(written[at].second);
    Check(written[at].second == std::to_string(putValue));
  }

  const bool nameUsable = !setting.empty() &&
                          setting.find_first_of(std::string_view("=;\0", 3)) == std::string_view::npos;
  bool expected = nameUsable;
  std::vector<Raw> wanted(places.size());
  for (std::size_t i = 0; i < places.size() && expected; ++i)
    expected = ModelStore(before[i], setting, putValue, places[i].room, wanted[i]);
  if (throughAction && !registryOnly && valueKnown) expected = false;  // no setting to store

  if (!throughAction) Check(result == expected);
  if (expected) {
    // The library may refuse a value, and then nothing is stored.
    if (valueKnown || after != before) Check(after == wanted);
  } else {
    Check(after == before);
  }
  if (registryOnly)
    Check(controller->GetProperty(registryOnly->property) ==
          (expected ? std::to_string(value) : shownBefore));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned control = data[0];
  // A copy of its own, so that reading past the input is caught.
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view rest(input);
  const std::size_t firstBreak = std::min(rest.find('\n'), rest.size());
  const std::string_view name = rest.substr(0, firstBreak);
  const std::string_view afterName = rest.substr(std::min(firstBreak + 1, rest.size()));
  const std::size_t secondBreak = std::min(afterName.find('\n'), afterName.size());
  const std::string_view valueText = afterName.substr(0, secondBreak);
  const std::string_view text = afterName.substr(std::min(secondBreak + 1, afterName.size()));

  CheckTable(text, name, swkv::ParseDecimal(valueText), control >> 5);

  const unsigned mode = control & 3;
  if (mode == 1 || mode == 2) {
    Raw stored;
    if ((control & 0x10) == 0) stored = (control & 0x08) ? Raw{false, std::string(text)} : Terminated(text);
    CheckStoreOrAction(mode == 2, (control & 0x04) != 0, stored, name, valueText);
  }
  return 0;
}
