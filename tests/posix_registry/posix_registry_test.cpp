// Our POSIX registry's own promises: what one process writes another sees, concurrent writers
// never lose each other's updates, a hive file is only ever replaced whole, a damaged hive is
// reported and left alone, and the root directory defaults as documented.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/reg_key.h"
#include "settings/adapter_settings_store.h"
#include "tests/support/files.h"
#include "tests/support/registry_sandbox.h"

using swkv::UniqueHkey;
using swkv::test::GetString;
using swkv::test::KeyExists;
using swkv::test::ReadText;
using swkv::test::WriteText;
using swkv::test::SetString;

namespace {

// Runs body in a child process and returns its exit status; the child ends with _exit, so
// nothing of the test framework runs twice.
int RunInChild(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

class PosixRegistry : public testing::Test {
 protected:
  std::string HivePath() const { return m_sandbox.root() + "/local_machine.hive"; }

  swkv::test::RegistrySandbox m_sandbox;
};

TEST_F(PosixRegistry, WhatOneProcessWritesAnotherReadsEvenThroughAHandleOpenedBefore) {
  swkv::test::CreateKey(HKEY_LOCAL_MACHINE, "SYSTEM\\Shared");
  UniqueHkey early;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\Shared", 0, KEY_READ, early.put()),
            ERROR_SUCCESS);

  EXPECT_EQ(RunInChild([] {
              const char text[] = "WRITEBACKCACHE=1;";
              UniqueHkey key;
              if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\Shared", 0, KEY_ALL_ACCESS,
                                key.put()) != ERROR_SUCCESS)
                return 1;
              return RegSetValueExA(key.get(), "DriverParameter", 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(text), sizeof text) == 0 ? 0 : 2;
            }),
            0);

  char data[64] = {};
  DWORD size = sizeof data;
  ASSERT_EQ(RegQueryValueExA(early.get(), "DriverParameter", nullptr, nullptr,
                             reinterpret_cast<LPBYTE>(data), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(data, "WRITEBACKCACHE=1;");
}

TEST_F(PosixRegistry, WritersInSeveralProcessesAtOnceLoseNoUpdate) {
  constexpr int kWriters = 4;
  constexpr int kValuesEach = 20;
  swkv::test::CreateKey(HKEY_LOCAL_MACHINE, "SYSTEM\\Busy");
  // Every writer waits on the pipe, so that all of them start together when it is closed.
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = ::fork();
    if (pid == 0) {
      ::close(gate[1]);
      char byte;
      (void)!::read(gate[0], &byte, 1);
      int failures = 0;
      UniqueHkey key;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\Busy", 0, KEY_ALL_ACCESS, key.put()) != 0)
        ::_exit(1);
      for (int i = 0; i < kValuesEach; ++i) {
        std::string name = "w" + std::to_string(w) + "v" + std::to_string(i);
        failures += RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(name.c_str()),
                                   static_cast<DWORD>(name.size() + 1)) != ERROR_SUCCESS;
        UniqueHkey sub;
        failures += RegCreateKeyExA(key.get(), name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, sub.put(), nullptr) != ERROR_SUCCESS;
      }
      ::_exit(failures == 0 ? 0 : 2);
    }
    writers.push_back(pid);
  }
  ::close(gate[0]);
  ::close(gate[1]);
  for (pid_t pid : writers) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  UniqueHkey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\Busy", 0, KEY_READ, key.put()),
            ERROR_SUCCESS);
  DWORD subkeys = 0, values = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, static_cast<DWORD>(kWriters * kValuesEach));
  EXPECT_EQ(values, static_cast<DWORD>(kWriters * kValuesEach));
}

TEST_F(PosixRegistry, AChangeReplacesTheHiveFileWholeAndLeavesNoTemporaryFile) {
  SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\Device", "DriverParameter", "A=1;");
  const std::string before = ReadText(HivePath());
  // A reader that opened the file before the change keeps reading the complete old contents:
  // the new contents arrive in a new file renamed into place, never written over the old.
  int reader = ::open(HivePath().c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  struct stat oldStat{}, newStat{};
  ASSERT_EQ(::fstat(reader, &oldStat), 0);

  SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\Device", "DriverParameter", "A=2;");

  std::string seen(before.size() + 64, '\0');
  ssize_t n = ::pread(reader, seen.data(), seen.size(), 0);
  ::close(reader);
  ASSERT_GE(n, 0);
  seen.resize(static_cast<std::size_t>(n));
  EXPECT_EQ(seen, before);
  ASSERT_EQ(::stat(HivePath().c_str(), &newStat), 0);
  EXPECT_NE(oldStat.st_ino, newStat.st_ino);
  EXPECT_NE(ReadText(HivePath()).find("A=2;"), std::string::npos);

  for (const auto& entry : std::filesystem::directory_iterator(m_sandbox.root()))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(PosixRegistry, AWriterThatDiesMidwayLeavesTheHiveWholeAndUnlocked) {
  SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\Device", "DriverParameter", "A=1;");
  const std::string before = ReadText(HivePath());
  // A writer killed while it holds the lock, with its half-written temporary file beside the
  // hive: the hive is as it was, and the next writer neither waits nor picks up the fragment.
  WriteText(HivePath() + ".tmp.99999", "swkv-registry-hive 1\nkey \"SYSTEM\"\nvalue \"Dri");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t holder = ::fork();
  if (holder == 0) {
    swkv::FileLock lock;
    std::string error;
    if (!lock.Acquire(m_sandbox.root() + "/local_machine.lock", error)) ::_exit(1);
    (void)!::write(ready[1], "x", 1);
    ::pause();
    ::_exit(0);
  }
  char byte;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);

  EXPECT_EQ(ReadText(HivePath()), before);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, "SYSTEM\\Device", "DriverParameter"), "A=1;");
  SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\Device", "DriverParameter", "A=2;");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, "SYSTEM\\Device", "DriverParameter"), "A=2;");
}

TEST_F(PosixRegistry, AHiveFileHoldsPrintableLinesWhateverTheBytesStored) {
  std::string data;
  for (int c = 0; c < 256; ++c) data.push_back(static_cast<char>(c));
  UniqueHkey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Odd\n\"name\"", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key.get(), "line\nbreak", 0, REG_BINARY,
                           reinterpret_cast<const BYTE*>(data.data()), 256),
            ERROR_SUCCESS);
  for (unsigned char c : ReadText(HivePath()))
    EXPECT_TRUE(c == '\n' || (c >= 0x20 && c <= 0x7E)) << static_cast<int>(c);
}

TEST_F(PosixRegistry, AHandEditedHiveWithCommentsIsRead) {
  std::filesystem::create_directories(m_sandbox.root());
  WriteText(HivePath(),
            "swkv-registry-hive 1\n"
            "# written by an operator\n"
            "\n"
            "key \"SYSTEM\"\n"
            "key \"SYSTEM\\Device\"\n"
            "value \"DriverParameter\" 1 \"SMARTENABLE=1;%00\"\n"
            "end\n");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, "system\\device", "driverparameter"), "SMARTENABLE=1;");
}

struct Damage {
  const char* what;
  const char* contents;
  const char* reason;  // part of the message on stderr
};

class DamagedHive : public PosixRegistry, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedHive, IsReportedWithFileAndReasonAndNeverOverwritten) {
  std::filesystem::create_directories(m_sandbox.root());
  WriteText(HivePath(), GetParam().contents);
  SetString(HKEY_CLASSES_ROOT, "CLSID", "", "other hives keep working");

  testing::internal::CaptureStderr();
  UniqueHkey key;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM", 0, KEY_READ, key.put()), ERROR_BADDB);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\New", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key.put(), nullptr),
            ERROR_BADDB);
  EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SYSTEM"), ERROR_BADDB);
  EXPECT_FALSE(swkv::StoreAdapterSetting("SMARTENABLE", 1));
  std::string messages = testing::internal::GetCapturedStderr();

  EXPECT_NE(messages.find(HivePath()), std::string::npos) << messages;
  EXPECT_NE(messages.find(GetParam().reason), std::string::npos) << messages;
  EXPECT_EQ(ReadText(HivePath()), GetParam().contents);
  EXPECT_EQ(GetString(HKEY_CLASSES_ROOT, "CLSID", ""), "other hives keep working");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DamagedHive,
    testing::Values(
        Damage{"NotAHive", "\x7F" "ELF\x02\x01\x01 binary garbage\n", "not a registry hive file"},
        Damage{"Empty", "", "the file is empty"},
        Damage{"CutMidLine", "swkv-registry-hive 1\nkey \"SYSTEM\"\nvalue \"Driver",
               "cut off"},
        Damage{"NoEndLine", "swkv-registry-hive 1\nkey \"SYSTEM\"\n", "end line is missing"},
        Damage{"BadEscape", "swkv-registry-hive 1\nkey \"SYS%ZZ\"\nend\n", "hexadecimal"},
        Damage{"RawControlByte", "swkv-registry-hive 1\nkey \"SYS\tTEM\"\nend\n", "escaped"},
        Damage{"OrphanKey", "swkv-registry-hive 1\nkey \"SYSTEM\\Device\"\nend\n",
               "before its parent"},
        Damage{"KeyTwice", "swkv-registry-hive 1\nkey \"SYSTEM\"\nkey \"system\"\nend\n",
               "listed twice"},
        Damage{"UnknownLine", "swkv-registry-hive 1\nkey \"SYSTEM\"\nvalues galore\nend\n",
               "line 3: unknown line"},
        Damage{"TextAfterEnd", "swkv-registry-hive 1\nend\nkey \"SYSTEM\"\n", "after the end"}),
    [](const testing::TestParamInfo<Damage>& param) { return std::string(param.param.what); });

// The documented default places of the registry root, with SWKV_REGISTRY_ROOT unset.
class RegistryRootDefault : public testing::Test {
 protected:
  void SetUp() override {
    m_env.Set("SWKV_REGISTRY_ROOT", nullptr);
    m_env.Set("XDG_STATE_HOME", nullptr);
    m_env.Set("HOME", (m_base + "/home").c_str());
  }

  swkv::test::RegistrySandbox m_sandbox;  // only for a scratch directory
  const std::string m_base = m_sandbox.root();
  swkv::test::ScopedEnv m_env;
};

TEST_F(RegistryRootDefault, IsTheStateDirectoryBelowHomeOrXdgStateHome) {
  SetString(HKEY_LOCAL_MACHINE, "SYSTEM", "v", "x");
  EXPECT_TRUE(std::filesystem::exists(m_base + "/home/.local/state/swkv/registry/local_machine.hive"));

  m_env.Set("XDG_STATE_HOME", (m_base + "/state").c_str());
  SetString(HKEY_CLASSES_ROOT, "CLSID", "", "x");
  EXPECT_TRUE(std::filesystem::exists(m_base + "/state/swkv/registry/classes_root.hive"));
  EXPECT_FALSE(
      std::filesystem::exists(m_base + "/home/.local/state/swkv/registry/classes_root.hive"));
}

}  // namespace
