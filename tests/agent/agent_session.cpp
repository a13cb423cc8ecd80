// The commands of an agent session, one per line:
//   scenario FILE|JSON             the simulated controllers of FILE (below tests/), the clock
//                                  stopped, the counts and the library selection fresh; then the
//                                  tree built from the root as creating the main class does
//   build                          the tree built again (the previous one released)
//   ls PATH                        the node's dir entries, in order ("/" is the root)
//   get PATH NAME...               entries read through get, into a 1024-character buffer
//   shown PATH NAME...             entries as the listing shows them (no hook runs, "-": none)
//   set PATH NAME VALUE            a property written; the status
//   invoke PATH ACTION [ARGUMENT]  an action run with the rest of the line; the status
//   refresh PATH                   the node's refresh; the status
//   watch PATH                     a sink on the node; what it gets is shown after each command
//   hold PATH / unhold PATH        a reference to the node kept, as the agent keeps one
//   fail FUNCTION CONTROLLER CALL [STATUS]
//   misbehave FUNCTION CONTROLLER CALL count|unterminated|output OUTPUT VALUE
//   clear-faults                   the library's calls fail or misbehave, or no longer
//   apply JSON                     a timeline action happens now
//   advance SECONDS                the controllers' clock moves on
//   pass [N]                       N polling passes (1), as the timer's dispatch runs them
//   trace on|off [FUNCTION...]     the library calls of each command shown after it (only the
//                                  calls of the functions named)
//   count PATH / read PATH [N] / clear-log PATH
//                                  the controller node's IEventLog: new count, N records (the
//                                  time field shown as T), ClearLog
//   reg KEY NAME                   a value of HKEY_LOCAL_MACHINE\KEY ("<missing>")
//   reg-set KEY NAME TEXT / reg-readonly KEY
//   reg-delete KEY                 the key and all below it removed
//   model FILE|JSON                the library's model replaced, the tree kept; the selection
//                                  forgotten, as in a new process
//   select N|none                  controller N selected as the component selects it, or the
//                                  selection forgotten (the next one opens the library again)
//   links PATH [KIND]              the names of the node's child links (to nodes of KIND), in
//                                  order, or "(none)"
//   lib FUNCTION ARGUMENT...       a library call behind the tree's back, on the selected
//                                  controller; the status. raDeleteArray L, raRenameArray L NAME,
//                                  raCreateArray NAME|- MODE DISK..., raArrayRebuildDisk L MEMBER
//                                  MODE
//   poll PATH enclosure|battery [N]
//                                  the controller node's sensor poll N times (1); what each gave
//   held PATH [NAME...]            the node kept by hold: the same as at PATH now, another or
//                                  none; with names, its entries read through get
//   invoke-at PATH ACTION PREFIX TARGET
//                                  an action run with PREFIX and the handle number of TARGET
//   nodes                          controllers discovered, controller and array nodes alive
// Handle numbers come from one count for the whole process, so they differ with the sessions
// run before: "ls" shows them as "#".
#include "tests/agent/agent_session.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "events/poll_timer.h"
#include "events/polled_nodes.h"
#include "platform/win.h"
#include "raidlib/selection.h"
#include "sim/sim_control.h"
#include "tests/support/files.h"
#include "tree/controller_node.h"

namespace swkv::test {
namespace {

std::string Hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

std::string Status(HRESULT status) { return "= " + Hex(static_cast<unsigned long>(status)) + "\n"; }

// The record with its time field (the second) shown as "T": the host's clock gives it.
std::string WithoutTime(const std::string& record) {
  std::size_t first = record.find('@');
  std::size_t second = first == std::string::npos ? first : record.find('@', first + 1);
  if (second == std::string::npos) return record;
  return record.substr(0, first + 1) + "T" + record.substr(second);
}

int Number(const std::string& word) { return static_cast<int>(std::stol(word, nullptr, 0)); }

// The line after its first n words, from the next word on.
std::string After(const std::string& line, std::size_t n) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < n && at != std::string::npos; ++i) {
    at = line.find_first_not_of(' ', at);
    if (at != std::string::npos) at = line.find(' ', at);
  }
  if (at != std::string::npos) at = line.find_first_not_of(' ', at);
  return at == std::string::npos ? std::string() : line.substr(at);
}

struct Usage {
  std::string text;
};

}  // namespace

AgentSession::AgentSession(std::string tracePath) : m_tracePath(std::move(tracePath)) {
  std::remove(m_tracePath.c_str());
  SetEnv("SWKV_SIM_TRACE", m_tracePath.c_str());
  simReset();
}

AgentSession::~AgentSession() {
  Release();
  SetEnv("SWKV_SIM_TRACE", nullptr);
  simReset();
  std::remove(m_tracePath.c_str());
}

void AgentSession::Release() {
  m_sinks.clear();
  m_held.clear();
  m_root = nullptr;
}

std::string AgentSession::Run(const std::string& line) {
  std::istringstream in(line);
  Words words;
  for (std::string word; in >> word;) words.push_back(word);
  std::string out;
  try {
    if (words.empty()) throw Usage{"an empty command"};
    // The text after the command's fixed words, as typed (JSON, an argument with spaces).
    std::string rest = After(line, words[0] == "invoke" || words[0] == "reg-set" ? 3 : 1);
    out = Do(words, rest);
  } catch (const Usage& usage) {
    out = "usage: " + usage.text + "\n";
  } catch (const std::exception& e) {
    out = "usage: " + std::string(e.what()) + "\n";
  }
  out += NewTraceLines();
  for (const std::string& note : m_notifications) out += note + "\n";
  m_notifications.clear();
  for (const std::string& text : m_messages.texts()) out += "message: " + text + "\n";
  m_messages.Clear();
  return out;
}

ComPtr<IRiver> AgentSession::Node(const std::string& path) const {
  if (!m_root) throw Usage{"no tree: start with a scenario"};
  ComPtr<IRiver> node(static_cast<IRiver*>(m_root.get()));
  std::string_view rest = path == "/" ? std::string_view() : std::string_view(path);
  while (!rest.empty()) {
    std::size_t slash = rest.find('/');
    std::string_view name = rest.substr(0, slash);
    node = Cd(node.get(), name);
    if (!node) throw Usage{"no node " + path};
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  }
  return node;
}

ComPtr<IEventLog> AgentSession::Log(const std::string& path) const {
  ComPtr<IEventLog> log = Node(path).As<IEventLog>(IID_IEventLog);
  if (!log) throw Usage{path + " has no event log"};
  return log;
}

void AgentSession::Start(const std::string& scenarioFile) {
  Release();
  ResetSelection();
  PollTickCount() = 0;
  EnclosurePollCount() = 0;
  BatteryPollCount() = 0;
  simReset();
  simClearFaults();
  LoadModel(scenarioFile);
  m_root = ComPtr<RootNode>(RootNode::New());
}

void AgentSession::LoadModel(const std::string& scenario) {
  const std::string text = scenario.starts_with("{")
                               ? scenario
                               : ReadText(std::string(SWKV_TESTS_DIR) + "/" + scenario);
  if (text.empty()) throw Usage{"cannot read " + scenario};
  if (simLoadScenarioText(text.c_str()) != 0)
    throw Usage{"scenario " + scenario + " refused: " + simLastError()};
  simStopClock();
}

std::string AgentSession::NewTraceLines() {
  std::ifstream in(m_tracePath, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(m_traceRead));
  std::string out;
  for (std::string line; std::getline(in, line);) {
    m_traceRead += line.size() + 1;
    // "TIME [PROCESS] c0 raX(...) = 0 -> ...": the call, without when and where.
    std::size_t call = line.find("] ");
    if (!m_tracing || call == std::string::npos) continue;
    // "trace on FUNCTION...": the calls of these functions only.
    const std::size_t name = line.find(' ', call + 2) + 1;
    const std::string function = line.substr(name, line.find('(', name) - name);
    if (m_traceOnly.empty() || m_traceOnly.count(function)) out += "  " + line.substr(call + 2) + "\n";
  }
  return out;
}

std::string AgentSession::Do(const Words& w, const std::string& rest) {
  const std::string& command = w[0];
  auto need = [&](std::size_t least, const char* form) {
    if (w.size() < least + 1) throw Usage{command + " " + form};
  };
  std::string out;
  if (command == "scenario") {
    need(1, "FILE|JSON");
    Start(rest);
  } else if (command == "build") {
    Release();
    m_root = ComPtr<RootNode>(RootNode::New());
  } else if (command == "ls") {
    need(1, "PATH");
    for (std::string entry : Dir(Node(w[1]).get())) {
      if (entry.starts_with("handle@")) entry.replace(11, entry.find(';') - 11, "#");
      out += entry + "\n";
    }
  } else if (command == "get" || command == "shown") {
    need(2, "PATH NAME...");
    ComPtr<IRiver> node = Node(w[1]);
    for (std::size_t i = 2; i < w.size(); ++i) {
      if (command == "get") {
        out += w[i] + " = " + Get(node.get(), w[i]) + "\n";
        continue;
      }
      std::string entry = Entry(node.get(), w[i]);
      std::size_t value = entry.find('@', entry.find('@') + 1);
      out += entry.empty() ? w[i] + " -\n" : w[i] + " = " + entry.substr(value + 1) + "\n";
    }
  } else if (command == "set") {
    need(3, "PATH NAME VALUE");
    out = Status(Set(Node(w[1]).get(), w[2], w[3]));
  } else if (command == "invoke") {
    need(2, "PATH ACTION [ARGUMENT]");
    out = Status(Invoke(Node(w[1]).get(), w[2], rest));
  } else if (command == "refresh") {
    need(1, "PATH");
    out = Status(Node(w[1])->refresh());
  } else if (command == "watch") {
    need(1, "PATH");
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    const std::string label = w[1];
    sink->onNotify = [this, label](ULONG code) {
      m_notifications.push_back("notify " + label + " " + Hex(code));
    };
    if (!sink->AdviseOn(Node(w[1]).get())) throw Usage{"cannot watch " + w[1]};
    m_sinks.emplace_back(label, sink);
  } else if (command == "hold") {
    need(1, "PATH");
    m_held[w[1]] = Node(w[1]);
  } else if (command == "unhold") {
    need(1, "PATH");
    m_held.erase(w[1]);
  } else if (command == "fail") {
    need(3, "FUNCTION CONTROLLER CALL [STATUS]");
    if (simFailCall(w[1].c_str(), Number(w[2]), Number(w[3]),
                    w.size() > 4 ? Number(w[4]) : SIM_E_INJECTED) != 0)
      throw Usage{"no library function " + w[1]};
  } else if (command == "misbehave") {
    need(6, "FUNCTION CONTROLLER CALL count|unterminated|output OUTPUT VALUE");
    int kind = w[4] == "count"          ? SIM_MISBEHAVE_COUNT
               : w[4] == "unterminated" ? SIM_MISBEHAVE_UNTERMINATED
               : w[4] == "output"       ? SIM_MISBEHAVE_OUTPUT
                                        : 0;
    if (simMisbehave(w[1].c_str(), Number(w[2]), Number(w[3]), kind, Number(w[5]),
                     Number(w[6])) != 0)
      throw Usage{"no library function " + w[1] + " or misbehaviour " + w[4]};
  } else if (command == "clear-faults") {
    simClearFaults();
  } else if (command == "apply") {
    need(1, "JSON");
    if (simApply(rest.c_str()) != 0) out = std::string("refused: ") + simLastError() + "\n";
  } else if (command == "advance") {
    need(1, "SECONDS");
    simAdvanceClock(static_cast<std::int64_t>(Number(w[1])) * 1000);
  } else if (command == "pass") {
    for (int i = w.size() > 1 ? Number(w[1]) : 1; i > 0; --i)
      PollTimerProc(nullptr, WM_TIMER, PollTimerId(), 0);
  } else if (command == "trace") {
    need(1, "on|off");
    NewTraceLines();
    m_tracing = w[1] == "on";
    m_traceOnly = std::set<std::string>(w.begin() + 2, w.end());
  } else if (command == "count") {
    need(1, "PATH");
    ULONG count = 0xDEADBEEF;
    HRESULT status = Log(w[1])->GetNewCount(&count);
    out = std::to_string(count) + " " + Status(status);
  } else if (command == "read") {
    need(1, "PATH [N]");
    ComPtr<IEventLog> log = Log(w[1]);
    for (int i = w.size() > 2 ? Number(w[2]) : 1; i > 0; --i) {
      static OLECHAR sentinel[] = {'x', 0};
      BSTR buffer = sentinel;
      HRESULT status = log->ReadEventLog(&buffer, nullptr);
      std::string record = !buffer ? "<null>" : buffer == sentinel ? "<untouched>" : "";
      if (buffer && buffer != sentinel) {
        UniqueBstr owned(buffer);
        record = WithoutTime(Narrow(owned.get()));
      }
      out += record + " " + Status(status);
    }
  } else if (command == "clear-log") {
    need(1, "PATH");
    out = Status(Log(w[1])->ClearLog());
  } else if (command == "reg") {
    need(2, "KEY NAME");
    out = GetString(HKEY_LOCAL_MACHINE, w[1], w[2].c_str()) + "\n";
  } else if (command == "reg-set") {
    need(3, "KEY NAME TEXT");
    SetString(HKEY_LOCAL_MACHINE, w[1], w[2].c_str(), rest);
  } else if (command == "reg-readonly") {
    need(1, "KEY");
    m_registry.MakeReadOnly(HKEY_LOCAL_MACHINE, w[1]);
  } else if (command == "reg-delete") {
    need(1, "KEY");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, w[1].c_str());
  } else if (command == "model") {
    need(1, "FILE|JSON");
    LoadModel(rest);
    ResetSelection();
  } else if (command == "select") {
    need(1, "N|none");
    if (w[1] == "none")
      ResetSelection();
    else if (!SelectController(Number(w[1])))
      out = "not selected\n";
  } else if (command == "links") {
    need(1, "PATH [KIND]");
    const std::string tail = "@o--@" + (w.size() > 2 ? w[2] : std::string());
    for (const std::string& entry : Dir(Node(w[1]).get()))
      if (w.size() > 2 ? entry.ends_with(tail) : entry.find(tail) != std::string::npos)
        out += (out.empty() ? "" : " ") + entry.substr(0, entry.find('@'));
    out += out.empty() ? "(none)\n" : "\n";
  } else if (command == "lib") {
    need(2, "FUNCTION ARGUMENT...");
    auto n = [&](std::size_t i) { return static_cast<std::uint32_t>(Number(w.at(i))); };
    std::int32_t status = -1;
    if (w[1] == "raDeleteArray") {
      status = raDeleteArray(n(2));
    } else if (w[1] == "raRenameArray") {
      status = raRenameArray(n(2), w.size() > 3 ? w[3].c_str() : "");
    } else if (w[1] == "raCreateArray") {
      std::vector<std::uint8_t> disks;
      for (std::size_t i = 4; i < w.size(); ++i) disks.push_back(static_cast<std::uint8_t>(n(i)));
      const std::string name = w.size() > 2 && w[2] != "-" ? w[2] : "";
      status = raCreateArray(name.c_str(), Number(w.at(3)), static_cast<std::uint8_t>(disks.size()),
                             disks.data(), 0);
    } else if (w[1] == "raArrayRebuildDisk") {
      status = raArrayRebuildDisk(n(2), n(3), n(4));
    } else {
      throw Usage{"lib takes raDeleteArray, raRenameArray, raCreateArray, raArrayRebuildDisk"};
    }
    out = Status(static_cast<HRESULT>(status));
  } else if (command == "poll") {
    need(2, "PATH enclosure|battery [N]");
    auto* controller = dynamic_cast<ControllerNode*>(static_cast<CRiver*>(Node(w[1]).get()));
    if (!controller) throw Usage{w[1] + " is no controller"};
    int last = -1, times = 0;
    auto flush = [&] {
      if (times) out += std::to_string(last) + (times > 1 ? " (" + std::to_string(times) + " times)\n" : "\n");
    };
    for (int i = w.size() > 3 ? Number(w[3]) : 1; i > 0; --i) {
      int result = w[2] == "battery" ? controller->BatteryPoll() : controller->EnclosurePoll();
      if (result != last) flush(), last = result, times = 0;
      ++times;
    }
    flush();
  } else if (command == "held") {
    need(1, "PATH [NAME...]");
    auto it = m_held.find(w[1]);
    if (it == m_held.end()) throw Usage{w[1] + " is not held"};
    for (std::size_t i = 2; i < w.size(); ++i)
      out += w[i] + " = " + Get(it->second.get(), w[i]) + "\n";
    if (w.size() == 2) {
      try {
        out = Node(w[1]).get() == it->second.get() ? "the same node\n" : "another node\n";
      } catch (const Usage&) {
        out = "no node there now\n";
      }
    }
  } else if (command == "invoke-at") {
    need(4, "PATH ACTION PREFIX TARGET");
    const std::string handle = Get(Node(w[4]).get(), "handle");
    out = Status(Invoke(Node(w[1]).get(), w[2], w[3] + handle.substr(0, handle.find(';'))));
  } else if (command == "nodes") {
    out = "discovered " + std::to_string(ControllerCount()) + ", controller nodes " +
          std::to_string(ControllerNodeList().size()) + ", array nodes " +
          std::to_string(ArrayNodeList().size()) + "\n";
  } else {
    throw Usage{"no command " + command};
  }
  return out;
}

}  // namespace swkv::test
