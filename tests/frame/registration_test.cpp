// Self-registration as an installer and the agent see it: the keys DllRegisterServer writes,
// the way a host finds the component through them, and what DllUnregisterServer leaves.
#include <gtest/gtest.h>

#include "tests/frame/component_host.h"
#include "tests/support/registry_sandbox.h"

namespace swkv::test {
namespace {

const std::string kClassId = "{2C21A4B6-C51A-4990-B440-B0841534F73A}";
const std::string kClassKey = "CLSID\\" + kClassId;
const std::string kAgentKey = "SOFTWARE\\Tessary Systems, Inc.\\Herald Agent";
const std::string kComponentKey = kAgentKey + "\\IO_CLSID\\" + kClassId;
const std::string kLibraryKey = "TypeLib\\{5A486531-0201-43E0-BD81-D544BB08D0DC}";
const std::string kRiverInterfaceKey = "Interface\\{D57B64F7-8728-4717-BD9C-A09719A06BA0}";

TEST(Registration, WritesTheAgentsComponentEntryTheClassAndTheTypeLibrary) {
  RegistrySandbox sandbox;
  ComponentHost host;
  ASSERT_EQ(host.RegisterServer(), S_OK);

  const struct {
    HKEY hive;
    std::string key;
    const char* name;
    std::string value;
  } values[] = {
      {HKEY_LOCAL_MACHINE, kComponentKey, nullptr, "SWKV_RAID"},
      {HKEY_LOCAL_MACHINE, kComponentKey, "ProgID", "TessaryRAID.SwkvRAID.1"},
      {HKEY_CLASSES_ROOT, "TessaryRAID.SwkvRAID.1", nullptr, "swkv Class"},
      {HKEY_CLASSES_ROOT, "TessaryRAID.SwkvRAID.1\\CLSID", nullptr, kClassId},
      {HKEY_CLASSES_ROOT, "TessaryRAID.SwkvRAID", nullptr, "swkv Class"},
      {HKEY_CLASSES_ROOT, "TessaryRAID.SwkvRAID\\CurVer", nullptr, "TessaryRAID.SwkvRAID.1"},
      {HKEY_CLASSES_ROOT, "TessaryRAID.SwkvRAID\\CLSID", nullptr, kClassId},
      {HKEY_CLASSES_ROOT, kClassKey, nullptr, "swkv Class"},
      {HKEY_CLASSES_ROOT, kClassKey + "\\ProgID", nullptr, "TessaryRAID.SwkvRAID.1"},
      {HKEY_CLASSES_ROOT, kClassKey + "\\VersionIndependentProgID", nullptr, "SwkvRAID.swkvRAID"},
      {HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", nullptr, host.path()},
      {HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {HKEY_CLASSES_ROOT, kLibraryKey + "\\1.0", nullptr, "mxaRAID 1.0 Type Library"},
      {HKEY_CLASSES_ROOT, kLibraryKey + "\\1.0\\0\\win64", nullptr, host.path()},
      {HKEY_CLASSES_ROOT, kRiverInterfaceKey, nullptr, "IRiver"},
      {HKEY_CLASSES_ROOT, kRiverInterfaceKey + "\\TypeLib", nullptr,
       "{5A486531-0201-43E0-BD81-D544BB08D0DC}"}};
  for (const auto& v : values)
    EXPECT_EQ(GetString(v.hive, v.key, v.name), v.value) << v.key << " " << (v.name ? v.name : "@");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + "\\Programmable"));
  // The event log class's script is carried, never run.
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{2D070527-5F3F-4A0C-B426-2E598F6D470D}"));
}

TEST(Registration, ReplacesWhatWasLeftAndRemovesOnlyWhatItOwns) {
  RegistrySandbox sandbox;
  // Left from an earlier registration, and entries that belong to others.
  SetString(HKEY_CLASSES_ROOT, kClassKey + "\\Stale", nullptr, "old");
  SetString(HKEY_CLASSES_ROOT, "CLSID\\{00000000-1111-2222-3333-444444444444}", nullptr, "other");
  const std::string otherComponent =
      kAgentKey + "\\IO_CLSID\\{00000000-1111-2222-3333-444444444444}";
  SetString(HKEY_LOCAL_MACHINE, otherComponent, nullptr, "OTHER_IO");
  SetString(HKEY_LOCAL_MACHINE, kComponentKey + "\\Stale", nullptr, "old");

  ComponentHost host;
  ASSERT_EQ(host.RegisterServer(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + "\\Stale"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kComponentKey + "\\Stale"));

  EXPECT_EQ(host.UnregisterServer(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAgentKey + "\\IO_CLSID"));
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, otherComponent, nullptr), "OTHER_IO");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_EQ(GetString(HKEY_CLASSES_ROOT, "CLSID\\{00000000-1111-2222-3333-444444444444}", nullptr),
            "other");
  for (const std::string& key :
       {std::string("TessaryRAID.SwkvRAID.1"), std::string("TessaryRAID.SwkvRAID"), kLibraryKey,
        kRiverInterfaceKey})
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;

  // Nothing left to remove is still a success.
  EXPECT_EQ(host.UnregisterServer(), S_OK);
}

}  // namespace
}  // namespace swkv::test
