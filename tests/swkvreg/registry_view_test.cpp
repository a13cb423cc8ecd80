// What an operator sees of the registry through swkvreg.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "platform/reg_key.h"
#include "tests/support/registry_sandbox.h"
#include "tools/swkvreg/registry_view.h"

using swkv::tools::KeyName;
using swkv::tools::ParseKeyName;

namespace {

class RegistryView : public testing::Test {
 protected:
  void Set(const char* path, const char* name, DWORD type, const std::string& data) {
    swkv::UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  static KeyName Key(const std::string& text) {
    KeyName key;
    EXPECT_TRUE(ParseKeyName(text, key)) << text;
    return key;
  }

  swkv::test::RegistrySandbox m_sandbox;
};

TEST_F(RegistryView, KeyNamesTakeLongOrShortHiveNamesInAnyCase) {
  KeyName key = Key("hklm\\SYSTEM\\Device\\");
  EXPECT_EQ(key.hive, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(key.Full(), "HKEY_LOCAL_MACHINE\\SYSTEM\\Device");
  EXPECT_EQ(Key("HKEY_CLASSES_ROOT").Full(), "HKEY_CLASSES_ROOT");
  KeyName unknown;
  EXPECT_FALSE(ParseKeyName("HKEY_NOWHERE\\SYSTEM", unknown));
}

TEST_F(RegistryView, ExportWritesRegFileSectionsForTheWholeSubtree) {
  const char name[] = "swkv \"RAID\" C:\\x";
  Set("SOFTWARE\\Agent", "", REG_SZ, std::string(name, sizeof name));
  // Values made in name order: a registry may list them as they were made or by name.
  Set("SOFTWARE\\Agent\\IO_CLSID", "Blob", REG_BINARY, std::string(30, '\x01'));
  Set("SOFTWARE\\Agent\\IO_CLSID", "Count", REG_DWORD, std::string("\x2A\0\0\0", 4));
  Set("SOFTWARE\\Agent\\IO_CLSID", "Odd", REG_SZ, std::string("a\nb", 4));

  std::ostringstream out;
  ASSERT_EQ(swkv::tools::ExportKey(Key("HKLM\\SOFTWARE\\Agent"), out), ERROR_SUCCESS);
  EXPECT_EQ(out.str(),
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Agent]\n"
            "@=\"swkv \\\"RAID\\\" C:\\\\x\"\n"
            "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Agent\\IO_CLSID]\n"
            "\"Blob\"=hex:01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,\\\n"
            "  01,01,01,01,01,01,01,01,01\n"
            "\"Count\"=dword:0000002a\n"
            "\"Odd\"=hex(1):61,0a,62,00\n");
}

TEST_F(RegistryView, QueryListsValuesAndSubkeysOrOneValue) {
  const char text[] = "COUNTTHRESHOLD=3;";
  Set("SYSTEM\\Device", "DriverParameter", REG_SZ, std::string(text, sizeof text));
  Set("SYSTEM\\Device\\Sub", "x", REG_SZ, std::string("1", 2));

  std::ostringstream listing;
  ASSERT_EQ(swkv::tools::QueryKey(Key("HKLM\\SYSTEM\\Device"), listing), ERROR_SUCCESS);
  EXPECT_EQ(listing.str(),
            "HKEY_LOCAL_MACHINE\\SYSTEM\\Device\n"
            "    DriverParameter    REG_SZ    COUNTTHRESHOLD=3;\n"
            "\n"
            "HKEY_LOCAL_MACHINE\\SYSTEM\\Device\\Sub\n");

  std::ostringstream one;
  ASSERT_EQ(swkv::tools::QueryValue(Key("HKLM\\SYSTEM\\Device"), "driverparameter", one),
            ERROR_SUCCESS);
  EXPECT_EQ(one.str(),
            "HKEY_LOCAL_MACHINE\\SYSTEM\\Device\n    driverparameter    REG_SZ    COUNTTHRESHOLD=3;\n");
  std::ostringstream none;
  EXPECT_EQ(swkv::tools::QueryValue(Key("HKLM\\SYSTEM\\Device"), "Absent", none),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(swkv::tools::QueryKey(Key("HKLM\\SYSTEM\\Absent"), none), ERROR_FILE_NOT_FOUND);
}

}  // namespace
