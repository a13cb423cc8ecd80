// The POSIX platform library's side of the resources: the message box on standard error, string
// tables registered by modules, and version blocks read out of files that may be damaged.
#include <elf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "com/message_box.h"
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

TEST_F(DamagedFiles, FilesThatAreNoModulesOrWhoseRootOutgrowsItsSectionHaveNoVersion) {
  std::string longRoot = m_module;
  SetWord(longRoot, m_block, 0xFFF0);
  const struct {
    const char* name;
    std::string contents;
    DWORD error;
  } files[] = {{"empty", "", ERROR_BAD_FORMAT},
               {"text", "FileVersion 1.0.0001 Build 1\n", ERROR_BAD_FORMAT},
               {"elf header only", m_module.substr(0, 64), ERROR_BAD_FORMAT},
               {"cut before the block", m_module.substr(0, m_block), ERROR_BAD_FORMAT},
               {"root longer than its section", longRoot, ERROR_INVALID_DATA}};
  for (const auto& file : files) {
    std::string path = Write(file.name, file.contents);
    EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u) << file.name;
    EXPECT_EQ(GetLastError(), file.error) << file.name;
  }
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

// The block is read once for a file that stays as it was; a file replaced, rewritten or removed
// is read again.
TEST_F(DamagedFiles, AnswersFollowTheFileAsItChanges) {
  WORD blockSize = 0;
  std::memcpy(&blockSize, &m_module[m_block], sizeof blockSize);
  auto blockOf = [](const std::string& path) {
    std::vector<BYTE> block(GetFileVersionInfoSizeA(path.c_str(), nullptr));
    if (block.empty() || !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()),
                                              block.data())) {
      return std::string();
    }
    return std::string(block.begin(), block.end());
  };
  std::string path = Write("changing", m_module);
  EXPECT_EQ(blockOf(path), m_module.substr(m_block, blockSize));
  EXPECT_EQ(blockOf(path), m_module.substr(m_block, blockSize));

  // Another file of the same size put in its place: one letter of a key differs.
  std::string changed = m_module;
  std::size_t key = NodeOffset("CompanyName");
  ASSERT_NE(key, std::string::npos);
  changed[key + 6] = 'c';
  std::string replacement = Write("changing.new", changed);
  ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
  EXPECT_EQ(blockOf(path), changed.substr(m_block, blockSize));

  Write("changing", "FileVersion 1.0.0001 Build 1\n");
  EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_FORMAT));

  ASSERT_EQ(unlink(path.c_str()), 0);
  EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// Files laid out by hand around the module's version block: the section header table may be
// cut, longer than one read, or counted in section 0; the block is found exactly when every
// entry up to its own, and its name, can be read.
struct LaidOutFile {
  const char* what;
  int sections;        // in the table, counting the null section 0
  bool countInFirst;   // e_shnum and e_shstrndx 0 and SHN_XINDEX, the figures in section 0
  int keepEntries;     // entries left in the file (the rest cut off); -1: all
  bool cutNameTable;   // the name table ends in the middle of the version section's name
  DWORD error;         // ERROR_SUCCESS: the block is found
};

TEST_F(DamagedFiles, SectionTablesAreWalkedUpToTheVersionSection) {
  WORD blockSize = 0;
  std::memcpy(&blockSize, &m_module[m_block], sizeof blockSize);
  const std::string block = m_module.substr(m_block, blockSize);
  static const char kNames[] = "\0.shstrtab\0.swkv_version";  // at 1 and at 11
  const std::string names(kNames, sizeof kNames);

  const LaidOutFile files[] = {
      {"plain", 4, false, -1, false, ERROR_SUCCESS},
      {"count in section 0", 4, true, -1, false, ERROR_SUCCESS},
      {"table longer than one read", 1200, false, -1, false, ERROR_SUCCESS},
      {"table cut after the version section", 1200, false, 1199, false, ERROR_SUCCESS},
      {"table cut before the version section", 1200, false, 1198, false, ERROR_BAD_FORMAT},
      {"name cut", 4, false, -1, true, static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND)},
  };
  for (const LaidOutFile& file : files) {
    // Header, names, block, then the table: null section, names, filler, version section last
    // but one (index sections - 2), one filler after it.
    const std::size_t namesAt = sizeof(Elf64_Ehdr);
    const std::size_t blockAt = namesAt + names.size();
    const std::size_t tableAt = (blockAt + block.size() + 7) / 8 * 8;
    std::vector<Elf64_Shdr> table(static_cast<std::size_t>(file.sections));
    const std::size_t versionIndex = table.size() - 2;
    table[1] = {1, SHT_STRTAB, 0, 0, namesAt, file.cutNameTable ? 14u : names.size(), 0, 0, 1, 0};
    for (std::size_t i = 2; i < table.size(); ++i) table[i].sh_type = SHT_PROGBITS;
    table[versionIndex] = {11, SHT_PROGBITS, 0, 0, blockAt, block.size(), 0, 0, 1, 0};

    Elf64_Ehdr header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = ELFCLASS64;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_DYN;
    header.e_version = EV_CURRENT;
    header.e_ehsize = sizeof header;
    header.e_shoff = tableAt;
    header.e_shentsize = sizeof(Elf64_Shdr);
    header.e_shnum = static_cast<Elf64_Half>(table.size());
    header.e_shstrndx = 1;
    if (file.countInFirst) {
      table[0].sh_size = table.size();
      table[0].sh_link = 1;
      header.e_shnum = 0;
      header.e_shstrndx = SHN_XINDEX;
    }
    const std::size_t entries =
        file.keepEntries < 0 ? table.size() : static_cast<std::size_t>(file.keepEntries);
    std::string bytes(tableAt + entries * sizeof(Elf64_Shdr), '\0');
    std::memcpy(&bytes[0], &header, sizeof header);
    std::memcpy(&bytes[namesAt], names.data(), names.size());
    std::memcpy(&bytes[blockAt], block.data(), block.size());
    std::memcpy(&bytes[tableAt], table.data(), entries * sizeof(Elf64_Shdr));

    std::string path = Write(std::string("laid-out ") + file.what, bytes);
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    if (file.error == ERROR_SUCCESS) {
      EXPECT_EQ(size, block.size()) << file.what;
    } else {
      EXPECT_EQ(size, 0u) << file.what;
      EXPECT_EQ(GetLastError(), file.error) << file.what;
    }
  }
}

}  // namespace
