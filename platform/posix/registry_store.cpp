#include "platform/posix/registry_store.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/file_io.h"

namespace swkv::registry {

namespace {

const char* HiveFileStem(HiveId hive) {
  switch (hive) {
    case HiveId::kClassesRoot: return "classes_root";
    case HiveId::kCurrentUser: return "current_user";
    case HiveId::kLocalMachine: return "local_machine";
  }
  return "unknown";
}

std::string EnvironmentPath(const char* name) {
  const char* value = std::getenv(name);
  // Relative paths are ignored, as the base directory conventions ask.
  return (value && value[0] == '/') ? std::string(value) : std::string();
}

std::string HomeDirectory() {
  std::string home = EnvironmentPath("HOME");
  if (!home.empty()) return home;
  char buffer[4096];
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/')
    return found->pw_dir;
  return {};
}

void Report(const std::string& message) {
  std::fprintf(stderr, "swkv registry: %s\n", message.c_str());
}

std::uint64_t EnvironmentNumber(const char* name) {
  const char* text = std::getenv(name);
  if (!text || text[0] < '0' || text[0] > '9') return 0;
  return std::strtoull(text, nullptr, 10);
}

// The test hooks of ChangeHive: counts this process's hive writes while one of them is set.
void InterruptWhenAsked(const std::string& hivePath, const std::string& text) {
  const std::uint64_t crashAt = EnvironmentNumber("SWKV_REGISTRY_CRASH_IN_WRITE");
  const std::uint64_t stopAt = EnvironmentNumber("SWKV_REGISTRY_STOP_IN_WRITE");
  if (crashAt == 0 && stopAt == 0) return;
  static std::atomic<std::uint64_t> counted{0};
  const std::uint64_t writes = ++counted;
  if (writes != crashAt && writes != stopAt) return;
  std::ofstream(TemporaryFilePath(hivePath), std::ios::binary) << text.substr(0, text.size() / 2);
  if (writes == crashAt) ::_exit(86);
  ::raise(SIGSTOP);
}

}  // namespace

DWORD LockWaitMs(DWORD wantedMs) {
  const char* text = std::getenv("SWKV_LOCK_WAIT_MS");
  if (!text || text[0] < '0' || text[0] > '9') return wantedMs;
  const std::uint64_t limit = std::strtoull(text, nullptr, 10);
  return limit < wantedMs ? static_cast<DWORD>(limit) : wantedMs;
}

std::string StateHomeDirectory() {
  std::string state = EnvironmentPath("XDG_STATE_HOME");
  if (!state.empty()) return state + "/swkv";
  std::string home = HomeDirectory();
  if (!home.empty()) return home + "/.local/state/swkv";
  return {};
}

std::string RegistryRootDirectory() {
  if (const char* root = std::getenv("SWKV_REGISTRY_ROOT"); root && root[0] != '\0') return root;
  std::string state = StateHomeDirectory();
  return state.empty() ? state : state + "/registry";
}

std::string HiveFilePath(const std::string& root, HiveId hive) {
  return root + "/" + HiveFileStem(hive) + ".hive";
}

LONG ReadHive(const std::string& root, HiveId hive, RegKey& contents) {
  contents = RegKey();
  if (root.empty()) return ERROR_SUCCESS;  // nowhere to keep a hive: every hive is empty
  const std::string path = HiveFilePath(root, hive);
  std::string text, error;
  bool missing = false;
  if (!ReadWholeFile(path, text, error, &missing)) {
    if (missing) return ERROR_SUCCESS;
    Report(error);
    return ERROR_CANTREAD;
  }
  if (!ParseHive(text, contents, error)) {
    Report(path + ": damaged, " + error + "; the file is left as it is until it is repaired or "
           "removed");
    contents = RegKey();
    return ERROR_BADDB;
  }
  return ERROR_SUCCESS;
}

LONG ChangeHive(const std::string& root, HiveId hive, const HiveChange& change) {
  std::string error;
  if (root.empty()) {
    Report("no registry root directory: set SWKV_REGISTRY_ROOT or HOME");
    return ERROR_CANTWRITE;
  }
  if (!EnsureDirectory(root, error)) {
    Report(error);
    return ERROR_CANTWRITE;
  }
  FileLock lock;
  if (!lock.Acquire(root + "/" + HiveFileStem(hive) + ".lock", error,
                    LockWaitMs(kHiveLockWaitMs))) {
    Report(error);
    return ERROR_CANTWRITE;
  }
  // Read again under the lock: another process may have changed the hive since we last looked.
  RegKey contents;
  if (LONG status = ReadHive(root, hive, contents); status != ERROR_SUCCESS) return status;
  bool changed = false;
  LONG status = change(contents, changed);
  if (status != ERROR_SUCCESS || !changed) return status;
  const std::string text = FormatHive(contents);
  InterruptWhenAsked(HiveFilePath(root, hive), text);
  if (!ReplaceFileAtomically(HiveFilePath(root, hive), text, error)) {
    Report(error);
    return ERROR_CANTWRITE;
  }
  return ERROR_SUCCESS;
}

}  // namespace swkv::registry
