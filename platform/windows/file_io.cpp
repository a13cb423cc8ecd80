#include "platform/file_io.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <string_view>
#include <utility>

namespace swkv {

namespace {

std::string Describe(const std::string& what, const std::string& path) {
  return what + " " + path + ": error " + std::to_string(GetLastError());
}

// Removes path.tmp.PID files whose writer is gone: killed between writing and renaming, it
// left them for good. A writer that still runs, or one we may not look at, keeps its file.
void RemoveStaleTemporaries(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((path + ".tmp.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp.";
  do {
    std::string_view name(found.cFileName);
    if (name.size() <= prefix.size()) continue;
    std::string_view digits = name.substr(prefix.size());
    DWORD writer = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), writer);
    if (ec != std::errc() || end != digits.data() + digits.size() ||
        writer == GetCurrentProcessId())
      continue;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, writer);
    if (process) {
      DWORD code = 0;
      const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
      CloseHandle(process);
      if (running) continue;
    } else if (GetLastError() != ERROR_INVALID_PARAMETER) {
      continue;  // there is such a process, which we may not open
    }
    DeleteFileA((folder + std::string(name)).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

std::string TemporaryFilePath(const std::string& path) {
  return path + ".tmp." + std::to_string(GetCurrentProcessId());
}

bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error,
                   bool* missing) {
  if (missing) *missing = false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    if ((code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) && missing) *missing = true;
    error = Describe("cannot open", path);
    return false;
  }
  contents.clear();
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
      error = Describe("cannot read", path);
      CloseHandle(file);
      return false;
    }
    if (n == 0) break;
    contents.append(buffer, n);
  }
  CloseHandle(file);
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const std::string& contents,
                           std::string& error) {
  RemoveStaleTemporaries(path);
  std::string temporary = TemporaryFilePath(path);
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = Describe("cannot create", temporary);
    return false;
  }
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < contents.size()) {
    DWORD n = 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
    ok = WriteFile(file, contents.data() + done, chunk, &n, nullptr) && n > 0;
    done += n;
  }
  ok = ok && FlushFileBuffers(file);
  if (!ok) error = Describe("cannot write", temporary);
  CloseHandle(file);
  if (ok && !MoveFileExA(temporary.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = Describe("cannot replace", path);
  }
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

bool EnsureDirectory(const std::string& path, std::string& error) {
  if (path.empty()) return true;
  std::string partial;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/' || path[i] == '\\') {
      partial = path.substr(0, i);
      if (partial.empty() || partial.back() == ':') continue;
      if (!CreateDirectoryA(partial.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        error = Describe("cannot create directory", partial);
        return false;
      }
    }
  }
  // A file of that name is there already.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    error = "not a directory: " + path;
    return false;
  }
  return true;
}

FileLock::FileLock(FileLock&& other) noexcept : m_handle(std::exchange(other.m_handle, kNone)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    m_handle = std::exchange(other.m_handle, kNone);
  }
  return *this;
}

FileLock::~FileLock() { Release(); }

bool FileLock::Acquire(const std::string& path, std::string& error, unsigned waitMs,
                       bool* busy) {
  Release();
  if (busy) *busy = false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = Describe("cannot open lock file", path);
    return false;
  }
  // A bounded wait asks again and again, at growing intervals up to 20 ms. The locked file
  // cannot be read by others, so the holder is named by the file alone.
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  DWORD pause = 1;
  for (;;) {
    OVERLAPPED whole{};
    const DWORD how = waitMs == kWaitForever ? LOCKFILE_EXCLUSIVE_LOCK
                                             : LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
    if (LockFileEx(file, how, 0, MAXDWORD, MAXDWORD, &whole)) break;
    if (GetLastError() != ERROR_LOCK_VIOLATION) {
      error = Describe("cannot lock", path);
      CloseHandle(file);
      return false;
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) {
      if (busy) *busy = true;
      error = "gave up after " + std::to_string(waitMs) + " ms waiting for the lock " + path +
              ", held by another process";
      CloseHandle(file);
      return false;
    }
    Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pause, deadline - now)));
    pause = std::min<DWORD>(pause * 2, 20);
  }
  m_handle = reinterpret_cast<long long>(file);
  return true;
}

void FileLock::Release() {
  if (m_handle == kNone) return;
  HANDLE file = reinterpret_cast<HANDLE>(std::exchange(m_handle, kNone));
  OVERLAPPED whole{};
  UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(file);
}

}  // namespace swkv
