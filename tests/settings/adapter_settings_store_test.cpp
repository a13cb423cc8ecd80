// Storing adapter settings as the controller node's actions do, and checking what the driver
// finds in the registry afterwards, on both system families.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/reg_key.h"
#include "settings/adapter_settings_store.h"
#include "settings/system_family.h"
#include "tests/support/registry_sandbox.h"

using swkv::StoreAdapterSetting;
using swkv::SystemFamily;
using swkv::test::GetString;
using swkv::test::KeyExists;
using swkv::test::SetString;

namespace {

const std::string kDriverKey = "SYSTEM\\CurrentControlSet\\Services\\Swiftbay\\Parameters\\Device";
const char* const kDriverValue = "DriverParameter";
const char* const kDeviceValue = "AdapterSettings";

// "P0=0;P1=0;..." with count pairs.
std::string Pairs(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += 'P';
    text += std::to_string(i);
    text += "=0;";
  }
  return text;
}

class SettingsStore : public testing::Test {
 protected:
  explicit SettingsStore(SystemFamily family) : m_saved(swkv::CurrentSystemFamily()) {
    swkv::OverrideSystemFamilyForTesting(family);
  }
  ~SettingsStore() override { swkv::OverrideSystemFamilyForTesting(m_saved); }

  swkv::test::RegistrySandbox m_sandbox;
  SystemFamily m_saved;
};

// ---- NT family: one value under the driver's key ----------------------------------------------

class DriverKeyLayout : public SettingsStore {
 protected:
  DriverKeyLayout() : SettingsStore(SystemFamily::kWindowsNt) {}

  std::string Stored() { return GetString(HKEY_LOCAL_MACHINE, kDriverKey, kDriverValue); }
  void Store(const std::string& text) { SetString(HKEY_LOCAL_MACHINE, kDriverKey, kDriverValue, text); }
};

TEST_F(DriverKeyLayout, CreatesTheKeyWhenMissingAndWritesAStringCountedWithItsTerminator) {
  ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDriverKey));
  EXPECT_TRUE(StoreAdapterSetting("COUNTTHRESHOLD", 3));
  EXPECT_EQ(Stored(), "COUNTTHRESHOLD=3;");

  swkv::UniqueHkey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDriverKey.c_str(), 0, KEY_READ, key.put()),
            ERROR_SUCCESS);
  DWORD type = REG_NONE, size = 0;
  ASSERT_EQ(RegQueryValueExA(key.get(), kDriverValue, nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof "COUNTTHRESHOLD=3;");
}

// What the driver finds after one store, from what was stored before ("<missing>": nothing).
struct DriverCase {
  const char* what;
  std::string before;
  const char* name;
  int value;
  bool stored;
  std::string after;  // empty: as before
};

TEST_F(DriverKeyLayout, KeepsEveryStoredPairAndRefusesWhatTheDriverCouldNotRead) {
  const std::string note = "NOTE=" + std::string(200, 'x') + "=y z;";
  std::string manyChanged = note + Pairs(40);
  manyChanged.replace(manyChanged.find("P7=0;"), 5, "P7=5;");
  // "WRITEBACKCACHE=1;" is 17 characters: after a 1006-character text the new text and its
  // terminator take exactly 1024 bytes; one more character and they would not fit.
  const std::string fits = "NOTE=" + std::string(1000, 'x') + ";";
  const std::string tooLong = "NOTE=" + std::string(1001, 'x') + ";";
  const DriverCase cases[] = {
      {"one pair replaced, every pair ended", "WRITEBACKCACHE=1;SMARTENABLE=0", "SMARTENABLE", 1,
       true, "WRITEBACKCACHE=1;SMARTENABLE=1;"},
      {"names in any case, stored spelling kept", "SMARTENABLE=0;", "smartenable", 1, true,
       "SMARTENABLE=1;"},
      {"the first of two equal names", "SmartEnable=0;SMARTENABLE=1;", "SMARTENABLE", 7, true,
       "SmartEnable=7;SMARTENABLE=1;"},
      {"a prefix is another name", "SMARTENABLE=0;", "SMART", 1, true, "SMARTENABLE=0;SMART=1;"},
      {"tokens without equals dropped, equals inside values and empty names kept",
       ";;WRITEBACKCACHE=1;junk;;c=2=3;=bare;last=", "DISABLEHOTSPARE", 0, true,
       "WRITEBACKCACHE=1;c=2=3;=bare;last=;DISABLEHOTSPARE=0;"},
      {"negative values", "<missing>", "MAINTENANCELENGTH", -1, true, "MAINTENANCELENGTH=-1;"},
      {"the lowest value", "A=1;", "WRITEBACKCACHE", INT_MIN, true, "A=1;WRITEBACKCACHE=-2147483648;"},
      {"long and many pairs byte for byte", note + Pairs(40), "p7", 5, true, manyChanged},
      {"a 32nd pair", Pairs(31), "SMARTENABLE", 1, true, Pairs(31) + "SMARTENABLE=1;"},
      {"no 33rd pair", Pairs(32), "WRITEBACKCACHE", 1, false, ""},
      {"a full table still changes its own", Pairs(32), "p31", 5,
       true, Pairs(31) + "P31=5;"},
      {"exactly 1024 bytes", fits, "WRITEBACKCACHE", 1, true, fits + "WRITEBACKCACHE=1;"},
      {"one byte more", tooLong, "WRITEBACKCACHE", 1, false, ""},
      {"a value too long to read is never replaced",
       "NOTE=" + std::string(1500, 'x') + ";SMARTENABLE=0;", "SMARTENABLE", 1, false, ""},
      {"a name that would break the text", "A=1;", "B=2;C", 3, false, ""},
      {"an empty name", "A=1;", "", 3, false, ""},
  };
  for (const DriverCase& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.before == "<missing>")
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, kDriverKey.c_str());
    else
      Store(c.before);
    EXPECT_EQ(StoreAdapterSetting(c.name, c.value), c.stored);
    EXPECT_EQ(Stored(), c.after.empty() ? c.before : c.after);
  }
}

TEST_F(DriverKeyLayout, FailsWhenTheKeyCanNeitherBeOpenedNorCreated) {
  Store("SMARTENABLE=0;");
  m_sandbox.MakeReadOnly(HKEY_LOCAL_MACHINE, kDriverKey);
  EXPECT_FALSE(StoreAdapterSetting("SMARTENABLE", 1));
  EXPECT_EQ(Stored(), "SMARTENABLE=0;");
}

TEST_F(DriverKeyLayout, FailsWhenTheKeyIsMissingAndItsParentIsReadOnly) {
  swkv::test::CreateKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Swiftbay");
  m_sandbox.MakeReadOnly(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Swiftbay");
  EXPECT_FALSE(StoreAdapterSetting("COUNTTHRESHOLD", 3));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDriverKey));
}

// ---- 9x family: one value in every instance of every supported controller ---------------------

class DeviceKeyLayout : public SettingsStore {
 protected:
  DeviceKeyLayout() : SettingsStore(SystemFamily::kWindows9x) {}

  static std::string Instance(const std::string& device, const std::string& instance) {
    return "Enum\\PCI\\" + device + "\\" + instance;
  }
  std::string Stored(const std::string& device, const std::string& instance) {
    return GetString(HKEY_LOCAL_MACHINE, Instance(device, instance), kDeviceValue);
  }
  void Store(const std::string& device, const std::string& instance, const std::string& text) {
    SetString(HKEY_LOCAL_MACHINE, Instance(device, instance), kDeviceValue, text);
  }
  void AddInstance(const std::string& device, const std::string& instance) {
    swkv::test::CreateKey(HKEY_LOCAL_MACHINE, Instance(device, instance));
  }
};

const std::string kRow1 = "VEN_7E5D&DEV_5C21&SUBSYS_00000000";
const std::string kRow4 = "ven_7e5d&dev_5c20";
const std::string kOther = "VEN_7E5D&DEV_9999";
const std::string kShort = "VEN_7E5D&DEV_5C2";

TEST_F(DeviceKeyLayout, FailsWithoutTheHardwareKeySucceedsWithNoControllerAndWritesNothing) {
  EXPECT_FALSE(StoreAdapterSetting("SMARTENABLE", 1));
  swkv::test::CreateKey(HKEY_LOCAL_MACHINE, "Enum\\PCI\\" + kOther + "\\0000");
  EXPECT_TRUE(StoreAdapterSetting("SMARTENABLE", 1));
  EXPECT_EQ(Stored(kOther, "0000"), "<missing>");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDriverKey));
}

TEST_F(DeviceKeyLayout, ChangesEveryInstanceOfEverySupportedControllerAndNoOther) {
  Store(kRow1, "0000", "WRITEBACKCACHE=1;");
  AddInstance(kRow1, "0001");
  Store(kRow4, "0000", "SMARTENABLE=0;COUNTTHRESHOLD=2;");
  Store(kRow4, "0001", "smartenable=1");
  Store(kOther, "0000", "SMARTENABLE=0;");
  Store(kShort, "0000", "SMARTENABLE=0;");

  EXPECT_TRUE(StoreAdapterSetting("SMARTENABLE", 1));

  EXPECT_EQ(Stored(kRow1, "0000"), "WRITEBACKCACHE=1;SMARTENABLE=1;");
  EXPECT_EQ(Stored(kRow1, "0001"), "SMARTENABLE=1;");
  EXPECT_EQ(Stored(kRow4, "0000"), "SMARTENABLE=1;COUNTTHRESHOLD=2;");
  EXPECT_EQ(Stored(kRow4, "0001"), "smartenable=1;");
  EXPECT_EQ(Stored(kOther, "0000"), "SMARTENABLE=0;");
  EXPECT_EQ(Stored(kShort, "0000"), "SMARTENABLE=0;");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDriverKey));
}

TEST_F(DeviceKeyLayout, KnowsAllFiveControllers) {
  const char* devices[] = {"VEN_7E5D&DEV_5C21", "VEN_7E5D&DEV_5C27&SUBSYS_1", "ven_7e5d&dev_1c27",
                           "VEN_7E5D&DEV_5C20", "VEN_7E5D&DEV_1C20&REV_02"};
  for (const char* device : devices) AddInstance(device, "0000");
  EXPECT_TRUE(StoreAdapterSetting("MAINTENANCELENGTH", -1));
  for (const char* device : devices)
    EXPECT_EQ(Stored(device, "0000"), "MAINTENANCELENGTH=-1;") << device;
}

TEST_F(DeviceKeyLayout, SkipsInstancesAndDevicesThatCannotBeOpened) {
  Store(kRow1, "0000", "A=1;");
  Store(kRow1, "0001", "A=1;");
  Store(kRow1, "0002", "A=1;");
  Store(kRow4, "0000", "A=1;");
  m_sandbox.MakeReadOnly(HKEY_LOCAL_MACHINE, Instance(kRow1, "0001"));
  m_sandbox.MakeReadOnly(HKEY_LOCAL_MACHINE, "Enum\\PCI\\" + kRow4);

  EXPECT_TRUE(StoreAdapterSetting("DISABLEHOTSPARE", 1));

  EXPECT_EQ(Stored(kRow1, "0000"), "A=1;DISABLEHOTSPARE=1;");
  EXPECT_EQ(Stored(kRow1, "0001"), "A=1;");
  EXPECT_EQ(Stored(kRow1, "0002"), "A=1;DISABLEHOTSPARE=1;");
  EXPECT_EQ(Stored(kRow4, "0000"), "A=1;");
}

TEST_F(DeviceKeyLayout, WritesNoInstanceWhenOneCannotTakeThePair) {
  // 495 + "SMARTENABLE=1;" (14) and a terminator make 510 bytes; 499 would make 514.
  const struct {
    std::string text;
    bool stored;
  } cases[] = {{"NOTE=" + std::string(489, 'x') + ";", true},
               {"NOTE=" + std::string(493, 'x') + ";", false},
               {"NOTE=" + std::string(600, 'x') + ";", false},  // too long to read
               {Pairs(32), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 12) + "... " + std::to_string(c.text.size()));
    Store(kRow1, "0000", "A=1;");
    Store(kRow1, "0001", c.text);
    EXPECT_EQ(StoreAdapterSetting("SMARTENABLE", 1), c.stored);
    EXPECT_EQ(Stored(kRow1, "0000"), c.stored ? "A=1;SMARTENABLE=1;" : "A=1;");
    EXPECT_EQ(Stored(kRow1, "0001"), c.stored ? c.text + "SMARTENABLE=1;" : c.text);
  }
}

TEST(SystemFamily, TheHighBitOfTheVersionWordMeansThe9xFamily) {
  EXPECT_EQ(swkv::FamilyOfVersion(0xC0000A04u), swkv::SystemFamily::kWindows9x);
  EXPECT_EQ(swkv::FamilyOfVersion(0x23F00206u), swkv::SystemFamily::kWindowsNt);
  EXPECT_EQ(swkv::CurrentSystemFamily(), swkv::FamilyOfVersion(GetVersion()));
}

}  // namespace
