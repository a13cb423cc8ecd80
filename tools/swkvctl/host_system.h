// What swkvctl needs of the operating system beyond the component's own platform layer: loading
// a module file, where the program and the user's state live, the console, interruption, and
// the clock that drives the component's timer. host_system_posix.cpp and host_system_windows.cpp
// hold the two implementations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win.h"

namespace swkv::ctl {

// A module file loaded into the process. It is unloaded when the owner goes only if the module's
// DllCanUnloadNow allows it, as the system's COM runtime does; the controller library it brought
// in stays loaded (a simulated one keeps its model in memory that is never freed).
class ModuleFile {
 public:
  ModuleFile() = default;
  ~ModuleFile();
  ModuleFile(const ModuleFile&) = delete;
  ModuleFile& operator=(const ModuleFile&) = delete;

  // False with the system's reason in error.
  bool Load(const std::string& path, std::string& error);
  void* Symbol(const char* name) const;
  template <class Function>
  Function* Entry(const char* name) const {
    return reinterpret_cast<Function*>(Symbol(name));
  }
  bool loaded() const { return m_handle != nullptr; }

 private:
  void* m_handle = nullptr;
};

// "mxaRAID.so" or "mxaRAID.dll".
const char* ComponentFileName();
// "libraidapikv9k.so" or "raidapikv9k.dll": the controller library the component is linked to.
const char* ControllerLibraryName();
// Where a build or an installation puts the component, seen from the folder of swkvctl's own
// executable.
std::vector<std::string> BuildComponentCandidates();
bool FileExists(const std::string& path);
std::string AbsolutePath(const std::string& path);

// The user's state folder for swkv: $XDG_STATE_HOME/swkv or ~/.local/state/swkv on POSIX,
// %LOCALAPPDATA%\swkv on Windows. Empty when none can be found.
std::string StateDirectory();
// Where the registry is: the POSIX registry's root folder, or the system registry.
std::string RegistryLocation();

// Null when the variable is not set (set but empty is "").
const char* GetEnvironment(const char* name);
void SetEnvironment(const char* name, const std::string& value);

// COM on the calling thread (Windows) and UTF-8 output on the console.
void PrepareProcess();
bool StandardInputIsTerminal();
// The columns of the terminal that standard output goes to; 0 when it goes to no terminal (a
// pipe, a file), whose lines are never cut.
std::size_t StandardOutputColumns();

// While one exists, Ctrl-C does not end the process but asks what runs to stop (a watch, a wait
// for the timer); the shell keeps one for its whole session. Elsewhere Ctrl-C ends swkvctl.
class InterruptScope {
 public:
  InterruptScope();
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;
};
// While one exists (one at a time), SIGTERM asks what runs to stop as Ctrl-C does, so that a
// service manager stops a long-running command (serve) cleanly. POSIX only.
class TerminateScope {
 public:
  TerminateScope();
  ~TerminateScope();
  TerminateScope(const TerminateScope&) = delete;
  TerminateScope& operator=(const TerminateScope&) = delete;
};
bool Interrupted();
void ClearInterrupt();

// The process clock in milliseconds (the one the component's timers run on).
std::uint64_t ClockMilliseconds();
// Milliseconds until the thread's next timer is due (0: due now; INFINITE: none, or unknown).
DWORD NextTimerDueMs();
// Sleeps up to ms of real time, returning early when a message arrives or Ctrl-C is pressed.
void WaitForMessages(DWORD ms);

// Time-lapse: the component's timers run on a clock that swkvctl moves itself, and the simulated
// controller library follows that clock. Only the POSIX platform layer has such a clock, and only
// the simulated library can follow one.
class TimeLapse {
 public:
  // False, with the reason, when this system or this controller library cannot lapse time.
  bool Begin(std::string& why);
  // Lets ms pass at once on the lapsed clock.
  void Advance(std::uint64_t ms);
  // Back to the wall clock; a simulated library keeps the time it reached.
  void End();
  bool active() const { return m_active; }

 private:
  bool m_active = false;
  void* m_follow = nullptr;   // simFollowClock
  void* m_advance = nullptr;  // simAdvanceClock
};

}  // namespace swkv::ctl
