// POSIX: dlopen, /proc/self/exe, XDG folders, signals, and the platform layer's test clock.
#ifndef _WIN32

#include <dlfcn.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/posix/registry_store.h"
#include "platform/system_time.h"
#include "platform/test_clock.h"
#include "tools/swkvctl/host_system.h"

namespace swkv::ctl {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
int g_scopes = 0;
struct sigaction g_previous {};
struct sigaction g_previousTerm {};

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

using SimNow = std::int64_t();
using SimFollowClock = void(std::int64_t (*)());
using SimAdvanceClock = void(std::int64_t);


}  // namespace

bool ModuleFile::Load(const std::string& path, std::string& error) {
  m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_handle) {
    const char* reason = dlerror();
    error = reason ? reason : "the dynamic loader refused it";
    return false;
  }
  return true;
}

ModuleFile::~ModuleFile() {
  if (!m_handle) return;
  using CanUnloadFunction = HRESULT();
  auto* canUnload = Entry<CanUnloadFunction>("DllCanUnloadNow");
  if (!canUnload || canUnload() != S_OK) return;
  if (void* library = dlopen(ControllerLibraryName(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
    dlclose(library);  // the library is now kept for good; this drops only our reference
  dlclose(m_handle);
}

void* ModuleFile::Symbol(const char* name) const {
  return m_handle ? dlsym(m_handle, name) : nullptr;
}

const char* ComponentFileName() { return "mxaRAID.so"; }
const char* ControllerLibraryName() { return "libraidapikv9k.so"; }

std::vector<std::string> BuildComponentCandidates() {
  std::error_code failure;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", failure);
  if (failure) return {};
  const std::filesystem::path folder = exe.parent_path();
  // The build tree's lib folder, the installed tree's (cmake/install.cmake), then beside us.
  return {(folder.parent_path() / "lib" / ComponentFileName()).lexically_normal().string(),
          (folder.parent_path() / "lib" / "swkv" / ComponentFileName()).lexically_normal().string(),
          (folder / ComponentFileName()).string()};
}

bool FileExists(const std::string& path) {
  std::error_code failure;
  return std::filesystem::is_regular_file(path, failure);
}

std::string AbsolutePath(const std::string& path) {
  std::error_code failure;
  std::filesystem::path absolute = std::filesystem::absolute(path, failure);
  return failure ? path : absolute.lexically_normal().string();
}

// The folders our registry layer itself uses, so that swkvctl's state lies beside the registry
// and what it names is where the keys went.
std::string StateDirectory() { return swkv::registry::StateHomeDirectory(); }

std::string RegistryLocation() { return swkv::registry::RegistryRootDirectory(); }

const char* GetEnvironment(const char* name) { return std::getenv(name); }

void SetEnvironment(const char* name, const std::string& value) {
  ::setenv(name, value.c_str(), 1);
}

void PrepareProcess() {}

InterruptScope::InterruptScope() {
  if (g_scopes++ > 0) return;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_previous);
}

InterruptScope::~InterruptScope() {
  if (--g_scopes == 0) sigaction(SIGINT, &g_previous, nullptr);
}

TerminateScope::TerminateScope() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, &g_previousTerm);
}

TerminateScope::~TerminateScope() { sigaction(SIGTERM, &g_previousTerm, nullptr); }

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

std::size_t StandardOutputColumns() {
  if (isatty(STDOUT_FILENO) != 1) return 0;
  winsize size{};
  // A terminal that does not say its width is taken as the classic 80 columns.
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}
bool Interrupted() { return g_interrupted != 0; }
void ClearInterrupt() { g_interrupted = 0; }

std::uint64_t ClockMilliseconds() { return GetTickCount64(); }

DWORD NextTimerDueMs() { return SwkvNextTimerDueMs(); }

void WaitForMessages(DWORD ms) {
  // The platform posts no messages from other threads to us; only timers fall due, so sleeping
  // until the next one is due is enough. Short steps keep Ctrl-C prompt.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!g_interrupted) {
    const auto left = until - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) break;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(50)));
  }
}

bool TimeLapse::Begin(std::string& why) {
  // The controller library is already loaded, as the component's dependency.
  void* library = dlopen(ControllerLibraryName(), RTLD_NOW | RTLD_NOLOAD);
  void* now = library ? dlsym(library, "simNow") : nullptr;
  m_follow = library ? dlsym(library, "simFollowClock") : nullptr;
  m_advance = library ? dlsym(library, "simAdvanceClock") : nullptr;
  if (library) dlclose(library);  // drops only the reference RTLD_NOLOAD took
  if (!now || !m_follow || !m_advance) {
    why = std::string("the controller library ") + ControllerLibraryName() +
          " keeps its own time (only the simulated library can follow swkvctl's clock)";
    return false;
  }
  // The lapsed clock starts where the simulated controllers' clock stands (a first call has the
  // library read its state file and its clock setting), and they follow it.
  reinterpret_cast<SimAdvanceClock*>(m_advance)(0);
  SwkvTestClockSet(static_cast<std::uint64_t>(reinterpret_cast<SimNow*>(now)()));
  reinterpret_cast<SimFollowClock*>(m_follow)(&UnixMillisecondsNow);
  m_active = true;
  return true;
}

void TimeLapse::Advance(std::uint64_t ms) {
  if (m_active) SwkvTestClockAdvance(ms);
}

void TimeLapse::End() {
  if (!m_active) return;
  m_active = false;
  reinterpret_cast<SimFollowClock*>(m_follow)(nullptr);
  // Brings a state file up to the time reached, so that the next process goes on from there.
  reinterpret_cast<SimAdvanceClock*>(m_advance)(0);
  SwkvTestClockReset();
}

}  // namespace swkv::ctl

#endif
