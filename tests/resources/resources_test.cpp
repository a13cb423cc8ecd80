// The component's resources as the component reads them: RAID mode texts by id from its own
// module, its file path and the "FileVersion" of its version block, and its messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "com/message_box.h"
#include "platform/module_instance.h"
#include "platform/win.h"
#include "tests/resources/test_modules.h"
#include "tests/support/message_capture.h"
#include "tree/file_version_info.h"

namespace {

// The module's version block as the root node loads it; empty when it has none.
std::vector<BYTE> VersionBlock(HMODULE module) {
  std::string path = ModulePath(module);
  DWORD handle = 1;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  EXPECT_EQ(handle, 0u);
  std::vector<BYTE> block(size);
  if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) block.clear();
  return block;
}

// A text of the block, or null when the lookup fails; length receives the length reported.
const char* Query(const std::vector<BYTE>& block, const char* path, UINT* length = nullptr) {
  void* value = nullptr;
  UINT n = 0;
  if (!VerQueryValueA(block.data(), path, &value, &n)) return nullptr;
  if (length) *length = n;
  return static_cast<const char*>(value);
}

// Texts by id: every RAID mode text from either module; a missing id, or a module without a
// table (the test program), gives empty text; a short buffer gets the text cut and terminated.
TEST(StringTable, TextsByIdCutToTheBufferAndEmptyWhenMissing) {
  const HINSTANCE versioned = SwkvTestVersionedModule();
  ASSERT_NE(swkv::ModuleInstance(), versioned);
  struct Case {
    HINSTANCE module;
    UINT id;
    int length;
    std::string text;
  };
  std::vector<Case> cases = {{versioned, 1262, 16, ""}, {versioned, 1259, 16, ""},
                             {versioned, 1268, 16, ""}, {versioned, 0, 16, ""},
                             {swkv::ModuleInstance(), 1260, 16, ""},
                             {versioned, 1261, 6, "STRIP"}, {versioned, 1261, 1, ""}};
  const std::pair<UINT, std::string> modes[] = {
      {1260, "STRIPING"},  {1261, "STRIPING + MIRRORING"}, {1263, "MIRRORING"},
      {1264, "PARITY"},    {1265, "DISTRIBUTED PARITY"},   {1266, "SPANNING"},
      {1267, "UNKNOWN RAID TYPE"}};
  for (HINSTANCE module : {versioned, SwkvTestPlainModule()})
    for (const auto& [id, text] : modes) cases.push_back({module, id, 64, text});
  for (const Case& c : cases) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadStringA(c.module, c.id, buffer, c.length), static_cast<int>(c.text.size()))
        << "id " << c.id;
    EXPECT_EQ(std::string(buffer), c.text) << "id " << c.id;
    if (c.length < 64) {
      EXPECT_EQ(buffer[c.length], 'x') << "written past the buffer, id " << c.id;
    }
  }
}

TEST(ModuleFile, PathOfEachModuleByItsInstance) {
  std::string versioned = ModulePath(SwkvTestVersionedModule());
  std::string plain = ModulePath(SwkvTestPlainModule());
  std::string program = ModulePath(swkv::ModuleInstance());
  EXPECT_NE(versioned.find("swkv_test_module_versioned"), std::string::npos) << versioned;
  EXPECT_NE(plain.find("swkv_test_module_plain"), std::string::npos) << plain;
  EXPECT_NE(program.find("swkv_resources_tests"), std::string::npos) << program;
  EXPECT_EQ(ModulePath(nullptr), program);
}

TEST(ModuleFile, ShortBufferIsCutAndReported) {
  std::string full = ModulePath(SwkvTestVersionedModule());
  ASSERT_FALSE(full.empty());
  const DWORD length = static_cast<DWORD>(full.size());
  std::vector<char> buffer(full.size() + 2, 'x');

  EXPECT_EQ(GetModuleFileNameA(SwkvTestVersionedModule(), buffer.data(), length + 1), length);
  EXPECT_EQ(std::string(buffer.data()), full);

  // Whether the last character gives way to a terminator differs between Windows versions
  // (ours terminates); what the caller sees in every version is the result and the error.
  std::fill(buffer.begin(), buffer.end(), 'x');
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(GetModuleFileNameA(SwkvTestVersionedModule(), buffer.data(), length), length);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(buffer.data(), length - 1), full.substr(0, length - 1));
  EXPECT_EQ(buffer[length], 'x');
}

TEST(ModuleFile, AddressThatDoesNotStartAModuleFails) {
  int local = 0;
  char buffer[MAX_PATH + 1];
  for (HMODULE module : {reinterpret_cast<HMODULE>(&local),
                         reinterpret_cast<HMODULE>(
                             reinterpret_cast<char*>(SwkvTestVersionedModule()) + 16)}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleFileNameA(module, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  }
}

TEST(VersionBlock, FixedInformationTranslationAndStringsOfTheFirstTranslation) {
  std::vector<BYTE> block = VersionBlock(SwkvTestVersionedModule());
  ASSERT_FALSE(block.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0x00010001u);
  EXPECT_EQ(fixed.dwFileType, VFT_DLL);

  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  WORD translation[2];
  std::memcpy(translation, value, sizeof translation);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);

  // The path as the root node builds it from the translation, with lower-case hexadecimal.
  const char* text = Query(block, "\\StringFileInfo\\040904b0\\FileVersion", &length);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "1.0.0001 Build 1");
  EXPECT_EQ(length, std::strlen("1.0.0001 Build 1") + 1);
  text = Query(block, "\\StringFileInfo\\040904B0\\CompanyName");
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "Tessary Systems, Inc.");

  // Lookups that find nothing.
  for (const char* path :
       {"\\StringFileInfo\\040904b0\\NoSuchString", "\\StringFileInfo\\04070000\\FileVersion",
        "\\StringFileInfo\\040904b0\\FileVersion\\More", "\\NoSuchBlock",
        "\\StringFileInfo\\040904b0\\FileVers"}) {
    EXPECT_EQ(Query(block, path), nullptr) << path;
  }
}

TEST(VersionBlock, ModuleBuiltWithoutItHasNone) {
  std::string path = ModulePath(SwkvTestPlainModule());
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
  EXPECT_TRUE(VersionBlock(SwkvTestPlainModule()).empty());

  std::string missing = path + ".absent";
  EXPECT_EQ(GetFileVersionInfoSizeA(missing.c_str(), nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// The root node's reader of the version block: only the translations of a versioned module
// have strings.
TEST(VersionBlock, OnlyTheTranslationsOfAVersionedModuleHaveStrings) {
  const char* text = nullptr;
  UINT length = 0;
  for (const std::string& path :
       {ModulePath(SwkvTestPlainModule()), std::string("/no/such/module/file")}) {
    swkv::FileVersionInfo info(path.c_str());
    EXPECT_FALSE(info.valid()) << path;
    EXPECT_FALSE(info.QueryVersionString("FileVersion", &text, &length, 0)) << path;
    EXPECT_EQ(text, nullptr);
  }
  swkv::FileVersionInfo versioned(ModulePath(SwkvTestVersionedModule()).c_str());
  ASSERT_TRUE(versioned.valid());
  ASSERT_GE(versioned.translation_count(), 1u);
  ASSERT_TRUE(versioned.QueryVersionString("FileVersion", &text, &length, 0));
  EXPECT_STREQ(text, "1.0.0001 Build 1");
  EXPECT_FALSE(versioned.QueryVersionString("NoSuchString", &text, &length, 0));
  EXPECT_FALSE(versioned.QueryVersionString(nullptr, &text, &length, 0));
  EXPECT_FALSE(versioned.QueryVersionString("FileVersion", &text, &length,
                                            versioned.translation_count()));
}

TEST(Messages, TestsSeeTheExactTexts) {
  swkv::test::MessageCapture outer;
  swkv::ShowMessage("Registry Error");
  {
    swkv::test::MessageCapture inner;
    swkv::ShowMessage("Set maintenance rate - registry error");
    EXPECT_EQ(inner.texts(), std::vector<std::string>{"Set maintenance rate - registry error"});
  }
  swkv::ShowMessage("100% done");
  EXPECT_EQ(outer.texts(), (std::vector<std::string>{"Registry Error", "100% done"}));
}

}  // namespace
