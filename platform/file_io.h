// Whole-file reads, atomic replacement and inter-process file locks, for the files our own
// stand-ins keep (the POSIX registry, the simulated controller's state).
#pragma once

#include <string>

namespace swkv {

// Reads the whole file. False with a message in error when it cannot be read; a missing file
// sets missing (and returns false) so that callers can tell "absent" from "unreadable".
bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error,
                   bool* missing = nullptr);

// Replaces the file's contents atomically: a temporary file beside it is written, flushed and
// renamed over it, so a crash leaves either the old or the new contents, never a mix. The
// temporary files a killed writer left beside it (those of processes that no longer run) are
// removed first.
bool ReplaceFileAtomically(const std::string& path, const std::string& contents,
                           std::string& error);

// The temporary file this process writes path's new contents to: path.tmp.PID.
std::string TemporaryFilePath(const std::string& path);

// Creates the directory and its parents when missing.
bool EnsureDirectory(const std::string& path, std::string& error);

// An exclusive lock on a lock file, held between processes until destroyed.
class FileLock {
 public:
  FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  ~FileLock();

  static constexpr unsigned kWaitForever = 0xFFFFFFFF;

  // Waits at most waitMs for the lock on path (created when missing); while it is held the file
  // names this process's id. False with a message in error when the lock file cannot be opened,
  // or when another holder kept it all that time (then busy, when given, is set): the message
  // names the file and, where the system lets us read it, the holder's process id.
  bool Acquire(const std::string& path, std::string& error, unsigned waitMs = kWaitForever,
               bool* busy = nullptr);
  void Release();
  bool held() const { return m_handle != kNone; }

 private:
  static constexpr long long kNone = -1;
  long long m_handle = kNone;
};

}  // namespace swkv
