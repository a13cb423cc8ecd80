// The settings table as the store and the controller node use it, and the family test.
#include <gtest/gtest.h>

#include <string>

#include "settings/adapter_settings_table.h"
#include "settings/system_family.h"

using swkv::FindSetting;
using swkv::FormatSettingsText;
using swkv::ParseSettingsText;
using swkv::PutSetting;

namespace {

std::string Formatted() {
  std::string text;
  FormatSettingsText(text);
  return text;
}

TEST(SettingsTable, ParsingKeepsPairsInOrderAndDropsEmptyTokensAndTokensWithoutEquals) {
  ParseSettingsText(";;WRITEBACKCACHE=1;junk;;c=2=3;=bare;last=");
  ASSERT_EQ(swkv::SettingsTable().entries().size(), 4u);
  EXPECT_EQ(Formatted(), "WRITEBACKCACHE=1;c=2=3;=bare;last=;");
  ASSERT_NE(FindSetting("C"), nullptr);
  EXPECT_EQ(FindSetting("C")->value, "2=3");
}

TEST(SettingsTable, FindingTakesTheFirstNameEqualIgnoringCase) {
  ParseSettingsText("SmartEnable=0;SMARTENABLE=1;");
  ASSERT_NE(FindSetting("smartenable"), nullptr);
  EXPECT_EQ(FindSetting("smartenable")->value, "0");
  EXPECT_EQ(FindSetting("SMART"), nullptr);

  EXPECT_TRUE(PutSetting("SMARTENABLE", 7));
  EXPECT_EQ(Formatted(), "SmartEnable=7;SMARTENABLE=1;");
}

TEST(SettingsTable, AFullTableTakesNoNewNameButStillChangesItsOwn) {
  std::string text;
  for (int i = 0; i < 32; ++i) {
    text += 'N';
    text += std::to_string(i);
    text += '=';
    text += std::to_string(i);
    text += ';';
  }
  ParseSettingsText(text);
  EXPECT_FALSE(PutSetting("NEW", 1));
  EXPECT_EQ(Formatted(), text);
  EXPECT_TRUE(PutSetting("n31", -5));
  EXPECT_EQ(FindSetting("N31")->value, "-5");
}

TEST(SystemFamily, TheHighBitOfTheVersionWordMeansThe9xFamily) {
  EXPECT_EQ(swkv::FamilyOfVersion(0xC0000A04u), swkv::SystemFamily::kWindows9x);
  EXPECT_EQ(swkv::FamilyOfVersion(0x23F00206u), swkv::SystemFamily::kWindowsNt);
  EXPECT_EQ(swkv::CurrentSystemFamily(), swkv::FamilyOfVersion(GetVersion()));
}

}  // namespace
