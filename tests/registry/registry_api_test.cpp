// The registry calls as the component and its registration use them, checked against the answers
// Windows gives. Runs against our own registry on POSIX and the system's on Windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/reg_key.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/system_traits.h"

using swkv::UniqueHkey;
using swkv::test::GetString;
using swkv::test::KeyExists;
using swkv::test::RunningOnWine;
using swkv::test::SetString;

namespace {

class RegistryApi : public testing::Test {
 protected:
  UniqueHkey Create(HKEY parent, const char* path, DWORD* disposition = nullptr) {
    UniqueHkey key;
    EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, key.put(), disposition),
              ERROR_SUCCESS)
        << path;
    return key;
  }

  static std::vector<std::string> Subkeys(HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
      char name[256];
      DWORD length = sizeof name;
      LONG status = RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      EXPECT_EQ(status, ERROR_SUCCESS);
      if (status != ERROR_SUCCESS) break;
      names.emplace_back(name, length);
    }
    return names;
  }

  static LONG SetBytes(HKEY key, const char* name, DWORD type, const std::string& data) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
  }

  swkv::test::RegistrySandbox m_sandbox;
};

TEST_F(RegistryApi, CreatingMakesMissingKeysAndNamesMatchWhateverTheCaseKeepingTheirSpelling) {
  DWORD disposition = 0;
  Create(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_7E5D&DEV_5C21&SUBSYS_00000000", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  Create(HKEY_LOCAL_MACHINE, "ENUM\\pci\\ven_7e5d&dev_5c21&subsys_00000000", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));

  UniqueHkey pci;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "enum\\pci", 0, KEY_READ, pci.put()), ERROR_SUCCESS);
  EXPECT_EQ(Subkeys(pci.get()), std::vector<std::string>{"VEN_7E5D&DEV_5C21&SUBSYS_00000000"});

  UniqueHkey device;
  EXPECT_EQ(RegOpenKeyExA(pci.get(), "ven_7e5d&dev_5c21&subsys_00000000", 0, KEY_READ, device.put()),
            ERROR_SUCCESS);
}

TEST_F(RegistryApi, MissingKeysAndValuesAreFileNotFound) {
  UniqueHkey key;
  HKEY raw = reinterpret_cast<HKEY>(&key);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\Nowhere", 0, KEY_READ, &raw),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(raw, nullptr);

  key = Create(HKEY_LOCAL_MACHINE, "SYSTEM\\Somewhere");
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key.get(), "Absent", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  // A key's default value exists only once it is set.
  EXPECT_EQ(RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key.get(), "Absent"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\Somewhere\\Absent"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SYSTEM\\Absent"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApi, StringDataIsCountedWithItsTerminatorAndAShortBufferGetsTheSizeNeeded) {
  UniqueHkey key = Create(HKEY_LOCAL_MACHINE, "SYSTEM\\Device");
  const char text[] = "COUNTTHRESHOLD=3;";
  ASSERT_EQ(RegSetValueExA(key.get(), "DriverParameter", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);

  DWORD type = REG_NONE, size = 0;
  EXPECT_EQ(RegQueryValueExA(key.get(), "DriverParameter", nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof text);

  char small[8] = "xxxxxxx";
  size = sizeof small;
  type = REG_NONE;
  EXPECT_EQ(RegQueryValueExA(key.get(), "DriverParameter", nullptr, &type,
                             reinterpret_cast<LPBYTE>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof text);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  char exact[sizeof text];
  size = sizeof exact;
  EXPECT_EQ(RegQueryValueExA(key.get(), "DriverParameter", nullptr, nullptr,
                             reinterpret_cast<LPBYTE>(exact), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof text);
  EXPECT_STREQ(exact, text);
}

TEST_F(RegistryApi, ValueNamesMatchWhateverTheCaseAndAnUpdateKeepsNameAndPlace) {
  const char* const path = "CLSID\\{2C21A4B6-C51A-4990-B440-B0841534F73A}\\InprocServer32";
  UniqueHkey key = Create(HKEY_CLASSES_ROOT, path);
  // Made in name order, so that the order of enumeration is the same whether a registry lists
  // values as they were made or by name.
  SetString(HKEY_CLASSES_ROOT, path, "", "/opt/swkv/mxaRAID.so");
  SetString(HKEY_CLASSES_ROOT, path, "ThreadingModel", "Both");
  SetString(HKEY_CLASSES_ROOT, path, "Zone", "z");
  SetString(HKEY_CLASSES_ROOT, "clsid\\{2c21a4b6-c51a-4990-b440-b0841534f73a}\\inprocserver32",
            "THREADINGMODEL", "Apartment");

  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[64];
    DWORD length = sizeof name;
    LONG status =
        RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
      EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
      break;
    }
    names.emplace_back(name, length);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"", "ThreadingModel", "Zone"}));
  EXPECT_EQ(GetString(HKEY_CLASSES_ROOT, path, "threadingmodel"), "Apartment");
  // The default value answers to a null name and to an empty one.
  EXPECT_EQ(GetString(HKEY_CLASSES_ROOT, path, nullptr), "/opt/swkv/mxaRAID.so");
  EXPECT_EQ(GetString(HKEY_CLASSES_ROOT, path, ""), "/opt/swkv/mxaRAID.so");
}

TEST_F(RegistryApi, SubkeysAreEnumeratedInNameOrderUntilNoMoreItems) {
  UniqueHkey pci = Create(HKEY_LOCAL_MACHINE, "Enum\\PCI");
  for (const char* name : {"VEN_7E5D&DEV_5C27", "ven_7e5d&dev_1c20", "VEN_8086&DEV_7111"})
    Create(pci.get(), name);
  EXPECT_EQ(Subkeys(pci.get()),
            (std::vector<std::string>{"ven_7e5d&dev_1c20", "VEN_7E5D&DEV_5C27",
                                      "VEN_8086&DEV_7111"}));

  char shortName[8];
  DWORD length = sizeof shortName;
  EXPECT_EQ(RegEnumKeyExA(pci.get(), 0, shortName, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  char name[64], keyClass[8] = "x";
  DWORD classLength = sizeof keyClass;
  length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(pci.get(), 2, name, &length, nullptr, keyClass, &classLength, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(keyClass) + ":" + std::to_string(classLength), ":0");
  length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(pci.get(), 3, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);

  DWORD subkeys = 0, maxSubkey = 0, values = 0;
  EXPECT_EQ(RegQueryInfoKeyA(pci.get(), nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 3u);
  EXPECT_EQ(maxSubkey, 17u);
  EXPECT_EQ(values, 0u);
}

TEST_F(RegistryApi, DeleteKeyRemovesOnlyLeavesAndDeleteTreeRemovesWholeSubtrees) {
  const char* clsid = "CLSID\\{2C21A4B6-C51A-4990-B440-B0841534F73A}";
  Create(HKEY_CLASSES_ROOT, "CLSID\\{2C21A4B6-C51A-4990-B440-B0841534F73A}\\Programmable");
  SetString(HKEY_CLASSES_ROOT, clsid, "", "swkv Class");
  SetString(HKEY_CLASSES_ROOT, "CLSID\\{00000000-0000-0000-0000-000000000001}", "", "other");

  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, clsid), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, clsid), ERROR_SUCCESS);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, clsid));
  EXPECT_EQ(GetString(HKEY_CLASSES_ROOT, "CLSID\\{00000000-0000-0000-0000-000000000001}", ""),
            "other");

  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "clsid\\{00000000-0000-0000-0000-000000000001}"),
            ERROR_SUCCESS);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{00000000-0000-0000-0000-000000000001}"));
}

TEST_F(RegistryApi, DeleteTreeWithoutSubkeyEmptiesTheKeyButKeepsIt) {
  UniqueHkey key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Herald\\IO_CLSID");
  Create(key.get(), "{2C21A4B6-C51A-4990-B440-B0841534F73A}\\Deeper");
  SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Herald\\IO_CLSID", "Count", "1");
  EXPECT_EQ(RegDeleteTreeA(key.get(), nullptr), ERROR_SUCCESS);
  EXPECT_TRUE(Subkeys(key.get()).empty());
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Herald\\IO_CLSID", "Count"), "<missing>");
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Herald\\IO_CLSID"));
}

TEST_F(RegistryApi, AHandleWhoseKeyWasDeletedAnswersKeyDeleted) {
  UniqueHkey key = Create(HKEY_LOCAL_MACHINE, "SYSTEM\\Gone");
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\Gone"), ERROR_SUCCESS);
  const char text[] = "x";
  EXPECT_EQ(RegSetValueExA(key.get(), "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           sizeof text),
            ERROR_KEY_DELETED);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key.get(), "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\Gone"));
}

TEST_F(RegistryApi, AHandleCanDoOnlyWhatItWasOpenedFor) {
  Create(HKEY_LOCAL_MACHINE, "SYSTEM\\Guarded");
  UniqueHkey reader;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\Guarded", 0, KEY_READ, reader.put()),
            ERROR_SUCCESS);
  EXPECT_EQ(SetBytes(reader.get(), "v", REG_SZ, std::string("x", 2)), ERROR_ACCESS_DENIED);
  if (RunningOnWine()) GTEST_SKIP() << "Wine's registry lets any handle create subkeys";
  UniqueHkey child;
  EXPECT_EQ(RegCreateKeyExA(reader.get(), "Child", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, child.put(), nullptr),
            ERROR_ACCESS_DENIED);
}

TEST_F(RegistryApi, AReadOnlyKeyCannotBeOpenedForWritingButCanBeRead) {
  Create(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_7E5D&DEV_5C21\\0000");
  SetString(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_7E5D&DEV_5C21\\0000", "AdapterSettings", "A=1;");
  m_sandbox.MakeReadOnly(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_7E5D&DEV_5C21\\0000");

  UniqueHkey key;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_7E5D&DEV_5C21\\0000", 0,
                          KEY_ALL_ACCESS, key.put()),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_7E5D&DEV_5C21\\0000", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, "Enum\\PCI\\VEN_7E5D&DEV_5C21\\0000", "AdapterSettings"),
            "A=1;");
}

TEST_F(RegistryApi, NamesAndDataMayHoldAnyBytes) {
  std::string data;
  for (int c = 0; c < 256; ++c) data.push_back(static_cast<char>(c));
  std::string name = "quote\" percent% tab\t newline\n high\xE9 end";
  std::string keyName = "Key with \"quotes\" and %41 and \xE9";
  UniqueHkey key = Create(HKEY_LOCAL_MACHINE, ("SOFTWARE\\" + keyName).c_str());
  ASSERT_EQ(SetBytes(key.get(), name.c_str(), REG_BINARY, data), ERROR_SUCCESS);

  UniqueHkey again;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\" + keyName).c_str(), 0, KEY_READ,
                          again.put()),
            ERROR_SUCCESS);
  std::string back(256, '\0');
  DWORD type = REG_NONE, size = 256;
  ASSERT_EQ(RegQueryValueExA(again.get(), name.c_str(), nullptr, &type,
                             reinterpret_cast<LPBYTE>(back.data()), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(back, data);
}

TEST_F(RegistryApi, ClosingAnUnknownHandleFailsAndPredefinedKeysStayUsable) {
  UniqueHkey key = Create(HKEY_LOCAL_MACHINE, "SYSTEM\\Once");
  HKEY raw = key.release();
  EXPECT_EQ(RegCloseKey(raw), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(raw), ERROR_INVALID_HANDLE);

  HKEY same = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ, &same), ERROR_SUCCESS);
  EXPECT_EQ(same, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\Once"));
}

}  // namespace
