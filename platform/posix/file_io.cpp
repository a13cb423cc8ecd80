#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

}  // namespace

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
  std::string temporary = path + ".tmp." + std::to_string(::getpid());
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

bool FileLock::Acquire(const std::string& path, std::string& error) {
  Release();
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = Describe("cannot open lock file", path);
    return false;
  }
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      error = Describe("cannot lock", path);
      ::close(fd);
      return false;
    }
  }
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
