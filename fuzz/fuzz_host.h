// What the fuzz targets that build a tree do as its host: a process environment of their own
// (a private registry, no state or trace file of the simulated library, messages swallowed),
// process-wide state and clocks back to the same start for every input, so that an input
// replays alike on its own, and the agent's reading of the tree through IRiver.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "events/poll_timer.h"
#include "com/message_box.h"
#include "events/polled_nodes.h"
#include "platform/com_ptr.h"
#include "platform/system_time.h"
#include "platform/test_clock.h"
#include "raidlib/selection.h"
#include "mxaraid/interfaces.h"
#include "sim/sim_control.h"
#include "tree/controller_node.h"
#include "tree/root_node.h"

namespace swkv::fuzz {

// The host's clock at the start of every input: 2023-11-14 22:13:20 UTC.
inline constexpr std::uint64_t kStartMs = 1700000000000;

// The registry directory of this process, emptied for every input.
inline std::string& RegistryRoot() {
  static std::string root;
  return root;
}

// Once per process: the environment the component and the simulated library read.
inline void PrepareProcess() {
  static const bool prepared = [] {
    ::unsetenv("SWKV_SIM_STATE");
    ::unsetenv("SWKV_SIM_TRACE");
    ::unsetenv("SWKV_SIM_SCENARIO");
    ::setenv("SWKV_SIM_CLOCK", "manual", 1);
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/swkv-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    RegistryRoot() = pattern;
    ::setenv("SWKV_REGISTRY_ROOT", pattern.c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(RegistryRoot(), ignored);
    });
    // A message box would wait for a click; the one on POSIX writes to standard error.
    SetMessageHandler([](std::string_view) {});
    return true;
  }();
  (void)prepared;
}

// Before each input: an empty registry, the clocks at kStartMs with the simulated library
// following the host's, no controller selected and the polling counts at zero. The simulated
// library's model is the caller's to load.
inline void ResetProcessState() {
  PrepareProcess();
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(RegistryRoot(), ignored))
    std::filesystem::remove_all(entry.path(), ignored);
  SwkvTestClockSet(kStartMs);
  simFollowClock(UnixMillisecondsNow);
  ResetSelection();
  ControllerCount() = 0;
  PollTickCount() = 0;
  EnclosurePollCount() = 0;
  BatteryPollCount() = 0;
}

// Time passes on both clocks, then one polling pass runs as the timer would run it.
inline void PassAfter(std::uint64_t ms) {
  SwkvTestClockAdvance(ms);
  PollTimerProc(nullptr, WM_TIMER, PollTimerId(), 0);
}

// get into an agent buffer of the given length (0: a null buffer); the text up to its end.
inline std::string Get(IRiver* node, BSTR name, UINT length) {
  UniqueBstr buffer = length ? UniqueBstr::Buffer(length) : UniqueBstr();
  BSTR agentBuffer = buffer.get();
  node->get(name, &agentBuffer);
  std::string text;
  if (BSTR b = buffer.get())
    for (UINT i = 0; i < length && b[i]; ++i) text += static_cast<char>(b[i] & 0x7F);
  return text;
}

inline std::string Get(IRiver* node, std::string_view name, UINT length = 512) {
  UniqueBstr bname = UniqueBstr::FromAnsi(name);
  return Get(node, bname.get(), length);
}

// The child a link names; null when refused.
inline ComPtr<IRiver> Cd(IRiver* node, std::string_view name) {
  UniqueBstr bname = UniqueBstr::FromAnsi(name);
  ComPtr<IUnknown> child;
  if (node->cd(bname.get(), child.put()) != S_OK || !child) return {};
  return child.As<IRiver>(IID_IRiver);
}

// A dir entry cut into its three fields: name@access@shown.
struct DirEntry {
  std::string name, access, shown;
  bool IsChild() const { return access.size() == 3 && access[0] == 'o'; }
  bool IsAction() const { return access.size() == 3 && access[0] == 'm'; }
};

inline DirEntry SplitEntry(const std::string& text) {
  DirEntry entry;
  std::size_t first = text.find('@');
  entry.name = text.substr(0, first);
  if (first == std::string::npos) return entry;
  std::size_t second = text.find('@', first + 1);
  entry.access = text.substr(first + 1, second == std::string::npos ? second : second - first - 1);
  if (second != std::string::npos) entry.shown = text.substr(second + 1);
  return entry;
}

// Lists the node as the agent does (dir, Reset, Next), count entries per Next into buffers of the
// given length.
template <class Visit>
void ForEachEntry(IRiver* node, Visit visit, ULONG count = 1, UINT length = 512) {
  ComPtr<IUnknown> unknown;
  if (FAILED(node->dir(unknown.put())) || !unknown) return;
  ComPtr<IEnumString> enumerator = unknown.As<IEnumString>(IID_IEnumString);
  // A new enumerator stands before the list until Reset, as the agent calls it.
  if (!enumerator || enumerator->Reset() != S_OK) return;
  if (count == 0 || count > 16) count = 1;
  for (;;) {
    UniqueBstr buffers[16];
    LPOLESTR elements[16] = {};
    for (ULONG i = 0; i < count; ++i) {
      buffers[i] = UniqueBstr::Buffer(length);
      elements[i] = buffers[i].get();
    }
    ULONG fetched = 0;
    HRESULT hr = enumerator->Next(count, elements, &fetched);
    if (fetched > count) std::abort();
    for (ULONG i = 0; i < fetched; ++i) {
      std::string text;
      for (UINT k = 0; k < length && buffers[i].get()[k]; ++k)
        text += static_cast<char>(buffers[i].get()[k] & 0x7F);
      visit(SplitEntry(text));
    }
    if (hr != S_OK) break;
  }
}

// What the agent does when it first looks at the tree: dir on every node, get of every entry,
// cd into every child link, depth first (no deeper than a tree can be).
inline void ReadAll(IRiver* node, int depth = 0) {
  ForEachEntry(node, [&](const DirEntry& entry) {
    (void)Get(node, entry.name);
    if (entry.IsChild() && depth < 8)
      if (ComPtr<IRiver> child = Cd(node, entry.name)) ReadAll(child.get(), depth + 1);
  });
}

}  // namespace swkv::fuzz
