#include "tests/reliability/common/agent_session.h"

#include <algorithm>
#include <utility>

#include "events/poll_timer.h"
#include "events/polled_nodes.h"
#include "raidlib/selection.h"
#include "sim/sim_control.h"
#include "tests/support/agent.h"
#include "tests/support/files.h"
#include "tree/controller_node.h"

namespace swkv::test {

void ResetComponentAndLibrary() {
  // A manual clock from the start: the scenario's timeline falls due at the same pass every run.
  SetEnv("SWKV_SIM_CLOCK", "manual");
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

void AgentSession::Walk(IRiver* node, int depth) {
  ++m_tally.nodes;
  for (const std::string& entry : Dir(node)) {
    m_tally.longest = std::max(m_tally.longest, entry.size());
    std::string name = entry.substr(0, entry.find('@'));
    Get(node, name);
    // A walk goes no deeper than the tree can be (root, controller, array or channel, disk); a
    // deeper one would mean a node that links to itself.
    if (depth < 8 && entry.find("@o--@") != std::string::npos)
      if (ComPtr<IRiver> child = Cd(node, name)) Walk(child.get(), depth + 1);
  }
}

void AgentSession::WalkAll() {
  if (root()) Walk(root(), 0);
}

void AgentSession::Act(std::string_view path, std::string_view action,
                       const std::string& argument) {
  if (ComPtr<IRiver> node = At(path)) Invoke(node.get(), action, argument);
}

int ReadNewEvents(IEventLog* log, ULONG extra, std::size_t* longest) {
  ULONG count = 0;
  if (!log || log->GetNewCount(&count) != S_OK) return 0;
  int read = 0;
  for (ULONG i = 0; i < count + extra && i <= RA_MAX_EVENTS; ++i) {
    BSTR record = nullptr;
    ULONG size = 0;
    if (log->ReadEventLog(&record, &size) == S_OK) {
      ++read;
      if (longest) *longest = std::max<std::size_t>(*longest, SysStringLen(record));
    }
    SysFreeString(record);
  }
  return read;
}

void AgentSession::Release() { m_root.reset(); }

void AgentSession::RunAll(int passes) {
  Build();
  WalkAll();
  // Every setting of the first controller.
  for (const auto& [action, value] : {std::pair{"SetCachePolicy", "0"}, {"SetSmart", "1"},
           {"SetPCIBus", "75"}, {"SetDisableHotSpare", "1"}, {"SetMaintenanceRate", "6"},
           {"SetReadThreshold", "16"}, {"SetWriteThreshold", "12"},
           {"SetSubmitChannelThreshold", "3"}, {"SetWriteMode", "1"}})
    Act("HBA1", action, value);
  // Disk 7, the only free disk of the second controller, becomes an array of its own.
  Act("HBA2", "CreateArray", "Spare@SPAN@1@" + HandleNumber(At("HBA2/ch4/slave").get()) + "@0");
  // With no spare left, the parity array stays critical until it is rebuilt by request.
  simApply(R"({"controller":1,"disk":3,"do":"fail"})");
  Act("HBA2/Ledger", "RebuildArray", "512@" + HandleNumber(At("HBA2/Ledger/disk4").get()));
  Act("HBA2/Ledger", "RebuildArray", "1024");
  Act("HBA2/Ledger", "RebuildArray", "256");
  Get(At("HBA2/Ledger").get(), "Status");
  Act("HBA1/Data", "SyncArray", "256");
  Get(At("HBA1/Data").get(), "Status");
  Act("HBA1/Data", "SyncArray", "2048");
  Act("HBA1/Data", "GUI_Status", "");
  Act("HBA1/System", "rename", "Boot");
  Act("HBA2", "DeleteArray", HandleNumber(At("HBA2/Spare").get()));
  // One polling pass a second of the library clock, an event queued every fifth second.
  for (int pass = 1; pass <= passes; ++pass) {
    simAdvanceClock(1000);
    if (pass % 5 == 0) {
      // Known and unknown codes and severity classes, on either controller.
      std::string event = R"({"controller":)" + std::to_string(pass % 2) + R"(,"event":{"code":)" +
                          std::to_string((pass * 7) % 32 - 2) + R"(,"severity":)" +
                          std::to_string(pass % 4) + R"(,"text":"event at second )" +
                          std::to_string(pass) + R"("}})";
      simApply(event.c_str());
    }
    RunPollingPass();
  }
  // One read past the count: the agent is expected not to, but may.
  for (const char* name : {"HBA1", "HBA2"})
    m_tally.events += ReadNewEvents(At(name).As<IEventLog>(IID_IEventLog).get(), 1,
                                    &m_tally.longestRecord);
  if (ComPtr<IEventLog> log = At("HBA1").As<IEventLog>(IID_IEventLog)) log->ClearLog();
  WalkAll();
  Release();
}

}  // namespace swkv::test
