// The registrar's script language beyond what the component's own scripts use: replacements,
// quoting, numbers, and a script that does not parse.
#include <gtest/gtest.h>

#include "frame/registrar.h"
#include "platform/reg_key.h"
#include "tests/support/registry_sandbox.h"

namespace swkv::test {
namespace {

constexpr const char* kScript = R"(
HKLM
{
  NoRemove Software
  {
    NoRemove Test
    {
      // Everything below is the script's own.
      ForceRemove Fresh = s '100%% %WHERE%'
      {
        val Count = d 0x10
        'With Space' = s 'it''s'
      }
      Plain
    }
  }
})";

DWORD GetNumber(const std::string& path, const char* name) {
  UniqueHkey key;
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
      RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return 0xFFFFFFFF;
  return value;
}

TEST(Registrar, WritesAndRemovesWhatTheScriptSays) {
  RegistrySandbox sandbox;
  SetString(HKEY_LOCAL_MACHINE, "Software\\Test\\Fresh\\Stale", nullptr, "old");
  SetString(HKEY_LOCAL_MACHINE, "Software\\Test\\Sibling", nullptr, "kept");
  CRegistrar registrar;
  registrar.AddReplacement("WHERE", "C:\\it's here");

  ASSERT_EQ(registrar.Register(kScript), S_OK);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, "Software\\Test\\Fresh", nullptr), "100% C:\\it's here");
  EXPECT_EQ(GetNumber("Software\\Test\\Fresh", "Count"), 16u);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, "Software\\Test\\Fresh\\With Space", nullptr), "it's");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Test\\Fresh\\Stale"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Test\\Plain"));

  ASSERT_EQ(registrar.Unregister(kScript), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Test\\Fresh"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Test\\Plain"));
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, "Software\\Test\\Sibling", nullptr), "kept");
}

TEST(Registrar, WritesNothingOfAScriptThatDoesNotParse) {
  RegistrySandbox sandbox;
  CRegistrar registrar;
  for (const char* script : {
           "HKLM { Software { Test = s 'unterminated } }",
           "HKLM { Software { Test = s '%NOWHERE%' } }",
           "HKLM { Software { Test = q 'unknown type' } }",
           "HKLM { Software { Test = s 'missing brace' }",
           "HKXX { Software }",
           "HKLM { Software { Test { val Count d 5 } } }",
           "HKLM { Software { Test { val = d 5 } } }",
           "HKLM { Software { Test { val Count = } } }",
       }) {
    EXPECT_EQ(registrar.Register(script), E_INVALIDARG) << script;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software")) << script;
  }
}

}  // namespace
}  // namespace swkv::test
