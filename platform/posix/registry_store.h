// Where the hives are kept and how they are read and changed.
//
// Every hive is one file, <root>/<hive>.hive, beside the lock file <root>/<hive>.lock. Reading
// takes no lock: a hive file is only ever replaced whole, by renaming. A change takes the lock,
// reads the file afresh, applies itself to what is there now and writes the result to a
// temporary file that is flushed and renamed over the hive. A file that does not parse is
// reported on stderr (file and reason) and left exactly as it is.
#pragma once

#include <functional>
#include <string>

#include "platform/posix/registry_hive.h"

namespace swkv::registry {

enum class HiveId { kClassesRoot, kCurrentUser, kLocalMachine };

// swkv's folder of the user's state: $XDG_STATE_HOME/swkv, else $HOME/.local/state/swkv (the
// password database's home when HOME is unset); relative paths are passed over. Empty when none
// of these is known.
std::string StateHomeDirectory();

// The registry's root directory: $SWKV_REGISTRY_ROOT, else the registry folder of
// StateHomeDirectory. Empty when neither is known.
std::string RegistryRootDirectory();

// The file a hive is kept in, below root.
std::string HiveFilePath(const std::string& root, HiveId hive);

// The hive as it is now, in root. A missing file is an empty hive. ERROR_BADDB when the file is
// damaged, ERROR_CANTREAD when it cannot be read; both are reported on stderr.
LONG ReadHive(const std::string& root, HiveId hive, RegKey& contents);

// A change to a hive: applied to the hive's current contents; sets changed when it altered them.
// Its status is returned to the caller; nothing is written unless it returns ERROR_SUCCESS.
using HiveChange = std::function<LONG(RegKey& contents, bool& changed)>;

// Applies change under the hive's lock to a fresh read of the hive and writes the result
// atomically. ERROR_BADDB for a damaged file (left untouched), ERROR_CANTWRITE when the root
// directory, the lock or the new file cannot be made, and when another process held the lock
// for longer than LockWaitMs(kHiveLockWaitMs) (a writer stopped in the middle of its write):
// the report on stderr names the lock file and its holder.
//
// For tests that interrupt writers, SWKV_REGISTRY_CRASH_IN_WRITE=N ends the process (exit code
// 86) inside its Nth hive write, its temporary file half written and the hive not replaced yet,
// as a writer killed there leaves them; SWKV_REGISTRY_STOP_IN_WRITE=N stops it there (SIGSTOP)
// holding the lock, and the write goes on when it is continued.
LONG ChangeHive(const std::string& root, HiveId hive, const HiveChange& change);

// How long a writer waits for a hive's lock unless told otherwise: a write takes milliseconds,
// so a lock held for seconds belongs to a writer that is stuck.
constexpr DWORD kHiveLockWaitMs = 5000;

// The longest wait for a lock that another process holds, in milliseconds: the smaller of
// wantedMs and $SWKV_LOCK_WAIT_MS when that is set (tests make it short), else wantedMs.
DWORD LockWaitMs(DWORD wantedMs);

}  // namespace swkv::registry
