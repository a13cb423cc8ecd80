// Windows: LoadLibrary, the program's own folder, %LOCALAPPDATA%, the console, and the system's
// message wait. The system's timers cannot be sped up, so there is no time-lapse here.
#ifdef _WIN32

#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tools/swkvctl/host_system.h"

namespace swkv::ctl {

namespace {

volatile LONG g_interrupted = 0;
int g_scopes = 0;

BOOL WINAPI OnConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
  InterlockedExchange(&g_interrupted, 1);
  return TRUE;
}

std::string ExecutableFolder() {
  char path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  return std::filesystem::path(path).parent_path().string();
}

}  // namespace

bool ModuleFile::Load(const std::string& path, std::string& error) {
  // The folder of the module is searched for the libraries it needs, as the system does for a
  // registered in-process server.
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    DWORD code = GetLastError();
    char text[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    std::string reason = text;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    error = reason + " (error " + std::to_string(code) + ")";
    return false;
  }
  m_handle = module;
  return true;
}

ModuleFile::~ModuleFile() {
  if (!m_handle) return;
  using CanUnloadFunction = HRESULT WINAPI();
  auto* canUnload = Entry<CanUnloadFunction>("DllCanUnloadNow");
  if (!canUnload || canUnload() != S_OK) return;
  HMODULE library = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, ControllerLibraryName(), &library);
  FreeLibrary(static_cast<HMODULE>(m_handle));
}

void* ModuleFile::Symbol(const char* name) const {
  return m_handle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name))
                  : nullptr;
}

const char* ComponentFileName() { return "mxaRAID.dll"; }
const char* ControllerLibraryName() { return "raidapikv9k.dll"; }

std::vector<std::string> BuildComponentCandidates() {
  std::string folder = ExecutableFolder();
  if (folder.empty()) return {};
  return {(std::filesystem::path(folder) / ComponentFileName()).string()};
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

std::string StateDirectory() {
  const char* local = std::getenv("LOCALAPPDATA");
  if (!local || !local[0]) return {};
  return std::string(local) + "\\swkv";
}

std::string RegistryLocation() { return "the system registry"; }

const char* GetEnvironment(const char* name) { return std::getenv(name); }

void SetEnvironment(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }

void PrepareProcess() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  SetConsoleOutputCP(CP_UTF8);
}

InterruptScope::InterruptScope() {
  if (g_scopes++ == 0) SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

InterruptScope::~InterruptScope() {
  if (--g_scopes == 0) SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

// A Windows service is stopped through its control handler, not a signal: nothing to catch.
TerminateScope::TerminateScope() = default;
TerminateScope::~TerminateScope() = default;

bool StandardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

std::size_t StandardOutputColumns() {
  if (_isatty(_fileno(stdout)) == 0) return 0;
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return 80;
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  return columns > 0 ? static_cast<std::size_t>(columns) : 80;
}
bool Interrupted() { return g_interrupted != 0; }
void ClearInterrupt() { InterlockedExchange(&g_interrupted, 0); }

std::uint64_t ClockMilliseconds() { return GetTickCount64(); }

DWORD NextTimerDueMs() { return INFINITE; }

void WaitForMessages(DWORD ms) {
  // Short steps keep Ctrl-C prompt.
  const std::uint64_t until = GetTickCount64() + ms;
  while (!Interrupted()) {
    const std::uint64_t now = GetTickCount64();
    if (now >= until) break;
    DWORD step = static_cast<DWORD>(std::min<std::uint64_t>(until - now, 50));
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, step, QS_ALLINPUT) == WAIT_OBJECT_0) break;
  }
}

bool TimeLapse::Begin(std::string& why) {
  why = "the system's timers on Windows run in real time";
  return false;
}

void TimeLapse::Advance(std::uint64_t) {}
void TimeLapse::End() {}

}  // namespace swkv::ctl

#endif
