// The POSIX platform library's side of the resources: the message box on standard error, string
// tables registered by modules, and version blocks read out of files that may be damaged.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "frame/message_box.h"
#include "platform/module_instance.h"
#include "platform/resource_script.h"
#include "platform/win.h"
#include "tests/resources/test_modules.h"
#include "tests/support/files.h"

namespace {

// A directory of its own for the files a test writes, removed afterwards.
class DamagedFiles : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/swkv_resources_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    m_module = swkv::test::ReadText(ModulePath(SwkvTestVersionedModule()));
    // The block starts with its root node: 6 header bytes, then the key.
    static const char kRoot[] = "VS_VERSION_INFO";
    auto key = std::search(m_module.begin(), m_module.end(), kRoot, kRoot + sizeof kRoot);
    ASSERT_NE(key, m_module.end());
    m_block = static_cast<std::size_t>(key - m_module.begin()) - 6;
  }
  void TearDown() override {
    for (const std::string& file : m_files) unlink(file.c_str());
    rmdir(m_dir.c_str());
  }
  std::string Write(const std::string& name, const std::string& contents) {
    std::string path = m_dir + "/" + name;
    std::ofstream(path, std::ios::binary) << contents;
    m_files.push_back(path);
    return path;
  }
  // The offset in the module file of the node whose key is key.
  std::size_t NodeOffset(const std::string& key) const {
    std::size_t at = m_module.find(key + '\0', m_block);
    return at == std::string::npos ? at : at - 6;
  }
  static void SetWord(std::string& bytes, std::size_t at, WORD value) {
    std::memcpy(&bytes[at], &value, sizeof value);
  }

  std::string m_dir;
  std::vector<std::string> m_files;
  std::string m_module;
  std::size_t m_block = 0;
};

TEST(MessageBox, GoesToStandardErrorWithTheComponentsName) {
  // The platform's own message box, not the test programs' guard.
  swkv::MessageHandler guard = swkv::SetMessageHandler({});
  testing::internal::CaptureStderr();
  swkv::ShowMessage("Registry Error");
  swkv::SetMessageHandler(std::move(guard));
  EXPECT_EQ(MessageBoxA(nullptr, "Set maintenance rate - registry error", nullptr, MB_OK), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "mxaRAID: Registry Error\nError: Set maintenance rate - registry error\n");
}

TEST(ModuleFile, CutPathKeepsItsTerminator) {
  std::string full = ModulePath(SwkvTestVersionedModule());
  ASSERT_GT(full.size(), 1u);
  std::vector<char> buffer(full.size(), 'x');
  const DWORD size = static_cast<DWORD>(buffer.size());
  EXPECT_EQ(GetModuleFileNameA(SwkvTestVersionedModule(), buffer.data(), size), size);
  EXPECT_EQ(std::string(buffer.data()), full.substr(0, full.size() - 1));
}

TEST(StringTable, RegisteredTableServesItsModuleAndTheMainProgramByNull) {
  static const SWKV_STRING_RESOURCE kEntries[] = {{7, "seven"}, {8, nullptr}};
  char buffer[16];
  ASSERT_TRUE(SwkvRegisterStringTable(swkv::ModuleInstance(), kEntries, 2));
  EXPECT_EQ(LoadStringA(nullptr, 7, buffer, sizeof buffer), 5);
  EXPECT_STREQ(buffer, "seven");
  EXPECT_EQ(LoadStringA(swkv::ModuleInstance(), 8, buffer, sizeof buffer), 0);
  EXPECT_EQ(LoadStringA(SwkvTestVersionedModule(), 7, buffer, sizeof buffer), 0);

  SwkvUnregisterStringTable(swkv::ModuleInstance());
  EXPECT_EQ(LoadStringA(nullptr, 7, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(SwkvRegisterStringTable(nullptr, kEntries, 2));
}

TEST(VersionBlock, BufferShorterThanTheBlockIsRefused) {
  std::string path = ModulePath(SwkvTestVersionedModule());
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size + 1, 0xAA);
  EXPECT_FALSE(GetFileVersionInfoA(path.c_str(), 0, size - 1, block.data()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size + 1, block.data()));
  EXPECT_EQ(block[size], 0xAA);
}

TEST_F(DamagedFiles, FilesThatAreNoModulesHaveNoVersion) {
  const std::pair<std::string, std::string> files[] = {
      {"empty", ""},
      {"text", "FileVersion 1.0.0001 Build 1\n"},
      {"elf header only", m_module.substr(0, 64)},
      {"cut before the block", m_module.substr(0, m_block)}};
  for (const auto& [name, contents] : files) {
    std::string path = Write(name, contents);
    EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u) << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_FORMAT)) << name;
  }
}

TEST_F(DamagedFiles, RootLongerThanItsSectionIsRejected) {
  std::string bytes = m_module;
  SetWord(bytes, m_block, 0xFFF0);
  std::string path = Write("root", bytes);
  EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

TEST_F(DamagedFiles, DamagedNodeIsNotFoundAndNothingIsReadPastTheBlock) {
  std::string bytes = m_module;
  std::size_t node = NodeOffset("FileVersion");
  ASSERT_NE(node, std::string::npos);
  SetWord(bytes, node, 0xFFF0);  // longer than its parent
  std::string path = Write("node", bytes);

  DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", &value,
                              &length));
  EXPECT_EQ(value, nullptr);
  EXPECT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\CompanyName", &value,
                             &length));
}

}  // namespace
