#include "tests/reliability/common/agent_session.h"

#include <algorithm>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

#include "events/poll_timer.h"
#include "events/polled_nodes.h"
#include "raidlib/selection.h"
#include "sim/sim_control.h"
#include "tests/support/agent.h"
#include "tree/controller_node.h"

namespace swkv::test {

namespace {

// A walk goes no deeper than the tree can be (root, controller, array or channel, disk); a
// deeper one would mean a node that links to itself.
constexpr int kMaxDepth = 8;

void UseManualClock() {
#ifdef _WIN32
  SetEnvironmentVariableA("SWKV_SIM_CLOCK", "manual");
#else
  ::setenv("SWKV_SIM_CLOCK", "manual", 1);
#endif
}

}  // namespace

void ResetComponentAndLibrary() {
  // A manual clock from the start: the scenario's timeline falls due at the same pass every run.
  UseManualClock();
  simReset();
  simStopClock();
  ResetSelection();
  ControllerCount() = 0;
  PollTickCount() = 0;
  EnclosurePollCount() = 0;
  BatteryPollCount() = 0;
}

void RunPollingPass() { PollTimerProc(nullptr, WM_TIMER, 0, 0); }

void AgentSession::Build() { m_root = ComPtr<RootNode>(RootNode::New()); }

ComPtr<IRiver> AgentSession::At(std::string_view path) const {
  ComPtr<IRiver> node(root());
  while (node && !path.empty()) {
    std::size_t slash = path.find('/');
    node = Cd(node.get(), path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  return node;
}

std::string AgentSession::HandleAddress(IRiver* node) {
  if (!node) return {};
  std::string handle = Get(node, "handle");
  return handle.substr(0, handle.find(';'));
}

void AgentSession::Walk(IRiver* node, int depth) {
  ++m_tally.nodes;
  for (const std::string& entry : Dir(node)) {
    ++m_tally.entries;
    if (entry.size() > m_tally.longest) m_tally.longest = entry.size();
    std::string name = entry.substr(0, entry.find('@'));
    Get(node, name);
    if (depth < kMaxDepth && entry.find("@o--@") != std::string::npos) {
      if (ComPtr<IRiver> child = Cd(node, name)) Walk(child.get(), depth + 1);
    }
  }
}

void AgentSession::WalkAll() {
  if (root()) Walk(root(), 0);
}

void AgentSession::ChangeSettings() {
  ComPtr<IRiver> controller = At("HBA1");
  if (!controller) return;
  Invoke(controller.get(), "SetCachePolicy", "0");
  Invoke(controller.get(), "SetSmart", "1");
  Invoke(controller.get(), "SetPCIBus", "75");
  Invoke(controller.get(), "SetDisableHotSpare", "1");
  Invoke(controller.get(), "SetMaintenanceRate", "6");
  Invoke(controller.get(), "SetReadThreshold", "16");
  Invoke(controller.get(), "SetWriteThreshold", "12");
  Invoke(controller.get(), "SetSubmitChannelThreshold", "3");
  Invoke(controller.get(), "SetWriteMode", "1");
}

void AgentSession::WorkOnArrays() {
  if (ComPtr<IRiver> second = At("HBA2")) {
    // Disk 7, the only free disk of the second controller, becomes an array of its own.
    std::string disk = HandleAddress(At("HBA2/ch4/slave").get());
    if (!disk.empty()) Invoke(second.get(), "CreateArray", "Spare@SPAN@1@" + disk + "@0");
    // With no spare left, the parity array stays critical until it is rebuilt by request.
    simApply(R"({"controller":1,"disk":3,"do":"fail"})");
    if (ComPtr<IRiver> ledger = At("HBA2/Ledger")) {
      std::string member = HandleAddress(At("HBA2/Ledger/disk4").get());
      Invoke(ledger.get(), "RebuildArray", "512@" + member);
      Invoke(ledger.get(), "RebuildArray", "1024");
      Invoke(ledger.get(), "RebuildArray", "256");
      Get(ledger.get(), "Status");
    }
  }
  if (ComPtr<IRiver> data = At("HBA1/Data")) {
    Invoke(data.get(), "SyncArray", "256");
    Get(data.get(), "Status");
    Invoke(data.get(), "SyncArray", "2048");
    Invoke(data.get(), "GUI_Status", "");
  }
  if (ComPtr<IRiver> system = At("HBA1/System")) Invoke(system.get(), "rename", "Boot");
  if (ComPtr<IRiver> second = At("HBA2")) {
    std::string spare = HandleAddress(At("HBA2/Spare").get());
    if (!spare.empty()) Invoke(second.get(), "DeleteArray", spare);
  }
}

void AgentSession::Poll(int passes) {
  for (int pass = 1; pass <= passes; ++pass) {
    simAdvanceClock(1000);
    if (pass % 5 == 0) {
      // Known and unknown codes and severity classes, on either controller.
      int code = (pass * 7) % 32 - 2;
      std::string event = R"({"controller":)" + std::to_string(pass % 2) + R"(,"event":{"code":)" +
                          std::to_string(code) + R"(,"severity":)" + std::to_string(pass % 4) +
                          R"(,"text":"event at second )" + std::to_string(pass) + R"("}})";
      simApply(event.c_str());
    }
    RunPollingPass();
  }
}

void AgentSession::ReadEventLogs() {
  for (const char* name : {"HBA1", "HBA2"}) {
    ComPtr<IRiver> controller = At(name);
    ComPtr<IEventLog> log = controller.As<IEventLog>(IID_IEventLog);
    if (!log) continue;
    ULONG count = 0;
    if (log->GetNewCount(&count) != S_OK) continue;
    // One read past the count: the agent is expected not to, but may.
    for (ULONG i = 0; i <= count && i <= RA_MAX_EVENTS; ++i) {
      BSTR record = nullptr;
      ULONG size = 0;
      if (log->ReadEventLog(&record, &size) == S_OK) {
        ++m_tally.events;
        m_tally.longestRecord = std::max<std::size_t>(m_tally.longestRecord, SysStringLen(record));
      }
      SysFreeString(record);
    }
  }
  if (ComPtr<IEventLog> log = At("HBA1").As<IEventLog>(IID_IEventLog)) log->ClearLog();
}

void AgentSession::Release() { m_root.reset(); }

void AgentSession::RunAll(int passes) {
  Build();
  WalkAll();
  ChangeSettings();
  WorkOnArrays();
  Poll(passes);
  ReadEventLogs();
  WalkAll();
  Release();
}

}  // namespace swkv::test
