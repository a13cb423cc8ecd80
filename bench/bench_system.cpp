#include "bench/bench_system.h"

#include <cstdlib>
#include <vector>

#include "events/poll_timer.h"
#include "events/polled_nodes.h"
#include "raidlib/selection.h"
#include "sim/sim_control.h"
#include "tree/controller_node.h"

namespace swkv::bench {

void StartSystem(const char* scenario) {
  ::setenv("SWKV_SIM_CLOCK", "manual", 1);
  simReset();
  simStopClock();
  if (scenario) simLoadScenarioText(scenario);
  ResetSelection();
  ControllerCount() = 0;
  PollTickCount() = 0;
  EnclosurePollCount() = 0;
  BatteryPollCount() = 0;
}

CallCounts CountCalls() {
  CallCounts counts{};
  for (int i = 0; i < kFunctionCount; ++i)
    counts[static_cast<std::size_t>(i)] = simCallCount(FunctionName(static_cast<Fn>(i)), -1);
  return counts;
}

ComPtr<RootNode> BuildTree() { return ComPtr<RootNode>(RootNode::New()); }

ComPtr<IRiver> Cd(IRiver* node, std::string_view name) {
  UniqueBstr bname = UniqueBstr::FromAnsi(name);
  ComPtr<IUnknown> child;
  if (!node || node->cd(bname.get(), child.put()) != S_OK || !child) return {};
  return child.As<IRiver>(IID_IRiver);
}

ComPtr<IRiver> At(IRiver* root, std::string_view path) {
  ComPtr<IRiver> node(root);
  while (node && !path.empty()) {
    std::size_t slash = path.find('/');
    node = Cd(node.get(), path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  return node;
}

void Get(IRiver* node, BSTR name, BSTR buffer) {
  BSTR agentBuffer = buffer;
  node->get(name, &agentBuffer);
}

namespace {

// The entry's name: the text before the first '@' of a dir entry.
UniqueBstr EntryName(const OLECHAR* entry) {
  UINT length = 0;
  while (entry[length] != 0 && entry[length] != u'@') ++length;
  return UniqueBstr(SysAllocStringLen(entry, length));
}

bool IsChildLink(const OLECHAR* entry) {
  // "name@o--@kind": the access text of a child link.
  for (const OLECHAR* p = entry; *p; ++p)
    if (p[0] == u'@' && p[1] == u'o' && p[2] == u'-' && p[3] == u'-' && p[4] == u'@') return true;
  return false;
}

}  // namespace

int WalkTree(IRiver* node) {
  int nodes = 1;
  ComPtr<IUnknown> unknown;
  if (FAILED(node->dir(unknown.put()))) return nodes;
  ComPtr<IEnumString> entries = unknown.As<IEnumString>(IID_IEnumString);
  if (!entries) return nodes;
  UniqueBstr element = UniqueBstr::Buffer(1024);
  UniqueBstr value = UniqueBstr::Buffer(1024);
  entries->Reset();
  for (;;) {
    LPOLESTR text = element.get();
    ULONG fetched = 0;
    if (entries->Next(1, &text, &fetched) != S_OK || fetched != 1) break;
    UniqueBstr name = EntryName(element.get());
    Get(node, name.get(), value.get());
    if (IsChildLink(element.get())) {
      ComPtr<IUnknown> child;
      if (node->cd(name.get(), child.put()) == S_OK && child)
        nodes += WalkTree(child.As<IRiver>(IID_IRiver).get());
    }
  }
  return nodes;
}

void PollOnce() { PollTimerProc(nullptr, WM_TIMER, 0, 0); }

}  // namespace swkv::bench
