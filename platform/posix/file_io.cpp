#include "platform/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

namespace swkv {

namespace {

std::string Describe(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Removes path.tmp.PID files whose writer is gone: killed between writing and renaming, it
// left them for good. A writer that still runs (or another user's, which we may not signal)
// keeps its file.
void RemoveStaleTemporaries(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  const std::string prefix =
      (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp.";
  DIR* directory = ::opendir(folder.c_str());
  if (!directory) return;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(directory)) {
    std::string_view name(entry->d_name);
    if (!name.starts_with(prefix)) continue;
    std::string_view digits = name.substr(prefix.size());
    pid_t writer = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), writer);
    if (ec != std::errc() || end != digits.data() + digits.size() || writer <= 0 || writer == self)
      continue;
    if (::kill(writer, 0) != 0 && errno == ESRCH)
      ::unlink((folder + std::string(name)).c_str());
  }
  ::closedir(directory);
}

// The process id a lock file names, as its holder wrote it; empty when it names none.
std::string RecordedHolder(int fd) {
  char text[24] = {};
  ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return {};
  std::string_view digits(text, static_cast<std::size_t>(n));
  digits = digits.substr(0, digits.find_first_not_of("0123456789"));
  return std::string(digits);
}

void RecordHolder(int fd) {
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, pid.data(), pid.size(), 0);
}

}  // namespace

std::string TemporaryFilePath(const std::string& path) {
  return path + ".tmp." + std::to_string(::getpid());
}

bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error,
                   bool* missing) {
  if (missing) *missing = false;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT && missing) *missing = true;
    error = Describe("cannot open", path);
    return false;
  }
  contents.clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = Describe("cannot read", path);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    contents.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const std::string& contents,
                           std::string& error) {
  RemoveStaleTemporaries(path);
  std::string temporary = TemporaryFilePath(path);
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = Describe("cannot create", temporary);
    return false;
  }
  bool ok = WriteAll(fd, contents.data(), contents.size()) && ::fsync(fd) == 0;
  if (!ok) error = Describe("cannot write", temporary);
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = Describe("cannot write", temporary);
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    error = Describe("cannot replace", path);
  }
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

bool EnsureDirectory(const std::string& path, std::string& error) {
  if (path.empty()) return true;
  std::string partial;
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    partial = path.substr(0, pos);
    if (partial.empty()) continue;
    if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
      error = Describe("cannot create directory", partial);
      return false;
    }
  }
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
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
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = Describe("cannot open lock file", path);
    return false;
  }
  // flock has no time limit of its own: a bounded wait asks again and again, at growing
  // intervals up to 20 ms, until the holder lets go or the time is up.
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    const int how = waitMs == kWaitForever ? LOCK_EX : LOCK_EX | LOCK_NB;
    if (::flock(fd, how) == 0) break;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) {
      error = Describe("cannot lock", path);
      ::close(fd);
      return false;
    }
    const auto now = Clock::now();
    if (now >= deadline) {
      const std::string holder = RecordedHolder(fd);
      if (busy) *busy = true;
      error = "gave up after " + std::to_string(waitMs) + " ms waiting for the lock " + path +
              ", held by " + (holder.empty() ? "another process" : "process " + holder);
      ::close(fd);
      return false;
    }
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
  RecordHolder(fd);
  m_handle = fd;
  return true;
}

void FileLock::Release() {
  if (m_handle == kNone) return;
  int fd = static_cast<int>(std::exchange(m_handle, kNone));
  ::flock(fd, LOCK_UN);
  ::close(fd);
}

}  // namespace swkv
