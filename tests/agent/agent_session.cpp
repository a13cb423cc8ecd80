// The commands of an agent session, one per line (handles are shown as "hN;KIND", N counting the
// handles the scenario's session has shown, as their numbers run on through the process):
//   scenario FILE|JSON             the simulated controllers of FILE (below tests/) or of the
//                                  JSON text, the clock stopped, the counts and the library
//                                  selection fresh; then the tree built from the root as creating
//                                  the main class does
//   build                          the tree built again (the previous one released; the nodes
//                                  held stay held)
//   ls PATH                        the node's dir entries, in order ("/" is the root)
//   tree PATH                      the entries of the node and of every node below it, each
//                                  child's below its link; a node met again: " = " its handle
//   get PATH NAME...               entries read through get, into a 1024-character buffer
//   shown PATH NAME...             entries as the listing shows them (no hook runs, "-": none)
//   invoke PATH ACTION [ARGUMENT]  an action run with the rest of the line ("@PATH": that node's
//                                  handle; "{PATH}" in it: that node's handle number); the status
//   refresh PATH                   the node's refresh; the status
//   invoke|refresh|poll ... -> NAME...
//                                  the command, then the NAMEs of its PATH read through get
//   watch PATH...                  a sink on each node; what it gets is shown after each command
//   on PATH [at N] COMMAND         the command run inside each notification of the sink of
//                                  "watch PATH", or only the N-th; what it caused and printed
//                                  follows the notification, indented
//   hold PATH                      a reference to the node kept, as the agent keeps one; the
//                                  node held before let go
//   fail FUNCTION CONTROLLER CALL [STATUS]
//   misbehave FUNCTION CONTROLLER CALL count|unterminated|output|silent OUTPUT VALUE
//   clear-faults                   the library's calls fail or misbehave, or no longer
//   silent FUNCTION...             every call of each FUNCTION succeeds without writing its
//                                  outputs; then the tree built again
//   case FUNCTION V... -> [get|invoke] PATH [ACTION] NAME...
//                                  a table's row: the faults cleared, every call of FUNCTION
//                                  giving V0, V1, ... as its outputs ("-": as the library
//                                  gives it; "fail:STATUS", "count:N" or "unterminated": every
//                                  call so failing or misbehaving instead), PATH refreshed (or
//                                  the ACTION run on it, without argument; its status shown only
//                                  when not S_OK) and the NAMEs shown; get: no refresh, the first
//                                  NAME read through get
//   apply JSON                     a timeline action happens now (or its status, when refused)
//   advance SECONDS                the controllers' clock moves on
//   pass [N]                       N polling passes (1), as the timer's dispatch runs them
//   tick [MS...]                   (POSIX) MS (1000) pass on the manual clock and the thread's
//                                  queue is pumped as the agent's message loop pumps it: the
//                                  messages dispatched; then the next MS. The first tick starts
//                                  the manual clock at 2023-11-14 22:13:20 UTC; the controllers
//                                  of later scenarios follow it, the records' times are shown as
//                                  T+SECONDS from the scenario's start
//   trace on|off [FUNCTION...]     the library calls of each command shown after it (only the
//                                  calls of the functions named)
//   count PATH [null] / read PATH [N|null] / clear-log PATH
//                                  the controller node's IEventLog: new count, N records (the
//                                  time field shown as T; a size the read wrote is shown),
//                                  ClearLog; null: the call with a null out-pointer
//   reg KEY NAME                   a value of HKEY_LOCAL_MACHINE\KEY ("<missing>")
//   reg-readonly KEY               the key made read-only
//   select N|none                  controller N selected as the component selects it, or the
//                                  selection forgotten (the next one opens the library again)
//   links PATH [KIND]              the names of the node's child links (to nodes of KIND), in
//                                  order, or "(none)"
//   poll PATH enclosure|battery [N]
//                                  the controller node's sensor poll N times (1); what each gave
//   held PATH [NAME...]            the node kept by hold: the same as at PATH now or another;
//                                  with names, its entries read through get
//   nodes                          controllers discovered, controller and array nodes alive
//   qi NAME INTERFACE...           the pointer the root's cd hands out for its link NAME (p1),
//                                  then each interface asked of what the one before gave: the
//                                  pointer (pN, numbered as they first appear) and its count,
//                                  or the refusal
//   release                        the tree, the sinks and the nodes held released
//   call FUNCTION ARG...           a library function called directly, as the component never
//                                  calls it: numbers, '' for an empty text, disk lists as 0,1,2;
//                                  the call's trace line follows, then what the trace does not
//                                  show (lists, texts, records)
#include "tests/agent/agent_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "events/poll_timer.h"
#include "events/polled_nodes.h"
#include "platform/system_time.h"
#include "platform/test_clock.h"
#include "platform/win.h"
#include "raidlib/selection.h"
#include "sim/sim_control.h"
#include "tests/support/files.h"
#include "tree/controller_node.h"

namespace swkv::test {
namespace {

std::string Status(HRESULT status) {
  return "= " + Hex(static_cast<std::uint32_t>(status), 8) + "\n";
}

int Number(const std::string& word) { return static_cast<int>(std::stol(word, nullptr, 0)); }

using Usage = std::runtime_error;

// Non-ASCII bytes as \xNN, so that a session file stays plain text.
std::string Escaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text)
    out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "\\x" + Hex(c, 2).substr(2);
  return out;
}

// A text argument: \xNN for a byte.
std::string Unescaped(std::string text) {
  for (std::size_t at; (at = text.find("\\x")) != std::string::npos;)
    text.replace(at, 4, 1, static_cast<char>(std::stoi(text.substr(at + 2, 2), nullptr, 16)));
  return text;
}

// A text buffer of the library, quoted, marked when the library left it without its NUL.
std::string Text(const char* buffer, std::size_t size, bool quoted = true) {
  const std::size_t length = strnlen(buffer, size);
  const std::string quote = quoted ? "\"" : "";
  return quote + std::string(buffer, length) + quote + (length == size ? " (unterminated)" : "");
}

}  // namespace

std::string SimRefusal(std::int32_t status) {
  if (status == 0) return "";
  const std::string error = simLastError();
  return "refused " + std::to_string(status) + (error.empty() ? "" : ": " + error) + "\n";
}

std::string After(const std::string& line, std::size_t n) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < n && at != std::string::npos; ++i) {
    at = line.find_first_not_of(' ', at);
    if (at != std::string::npos) at = line.find(' ', at);
  }
  if (at != std::string::npos) at = line.find_first_not_of(' ', at);
  return at == std::string::npos ? std::string() : line.substr(at);
}

AgentSession::AgentSession(std::string tracePath, std::string folder)
    : m_tracePath(std::move(tracePath)),
      m_folder(folder.empty() ? m_tracePath + ".d" : folder),
      m_process(!folder.empty()) {
  std::remove(m_tracePath.c_str());
  SetEnv("SWKV_SIM_TRACE", m_tracePath.c_str());
  if (!m_process) simReset();
  m_shownBefore = SetMessageHandler([this](std::string_view text) {
    m_messages.push_back("message: " + std::string(text));
  });
}

AgentSession::~AgentSession() {
  Release();
  SetMessageHandler(std::move(m_shownBefore));
#ifndef _WIN32
  if (m_clock) SwkvTestClockReset();
#endif
  for (const char* name : {"SWKV_SIM_TRACE", "SWKV_SIM_SCENARIO", "SWKV_SIM_STATE", "SWKV_SIM_CLOCK"})
    SetEnv(name, nullptr);
  simFollowClock(nullptr);
  if (!m_process) simReset();
  std::remove(m_tracePath.c_str());
  std::error_code ignored;
  if (!m_process) std::filesystem::remove_all(m_folder, ignored);
}

void AgentSession::Release() {
  m_actions.clear();
  m_reactions.clear();
  m_sinks.clear();
  m_held = nullptr;
  m_root = nullptr;
}

std::string AgentSession::Attempt(const std::string& typed) {
  // "invoke|refresh|poll PATH ... -> NAME...": the command, then the node's NAMEs read through get.
  const std::size_t arrow = typed.find(" -> ");
  const bool then = arrow != std::string::npos && (typed.starts_with("invoke ") ||
                                                   typed.starts_with("refresh ") ||
                                                   typed.starts_with("poll "));
  const std::string line = then ? typed.substr(0, arrow) : typed;
  std::istringstream in(line);
  Words words;
  for (std::string word; in >> word;) words.push_back(word);
  try {
    // The text after the command's fixed words, as typed (JSON, an argument with spaces).
    std::string rest = After(line, words.at(0) == "invoke" ? 3 : 1);
    std::string out = Do(words, rest);
    if (then) {
      Words get{"get", words.size() > 1 ? words[1] : ""};
      std::istringstream names(typed.substr(arrow + 4));
      for (std::string name; names >> name;) get.push_back(name);
      out += Do(get, "");
    }
    return out;
  } catch (const std::exception& e) {
    return "usage: " + std::string(e.what()) + "\n";
  }
}

void AgentSession::React(const std::string& on, std::vector<std::string>& lines) {
  const int seen = ++m_reactions[on];
  // A copy: the command may release the tree and with it the actions.
  const auto actions = m_actions[on];
  for (const auto& [at, command] : actions) {
    if (at && at != seen) continue;
    // What the command caused (notifications or messages of its own) is indented under it too.
    const std::size_t from = lines.size();
    std::istringstream printed(Attempt(command));
    for (std::size_t i = from; i < lines.size(); ++i) lines[i] = "  " + lines[i];
    for (std::string text; std::getline(printed, text);) lines.push_back("  " + text);
  }
}

std::string AgentSession::Run(const std::string& typed) {
  std::string line = typed;
  line = Replaced(line, "$TMP", m_folder);
  line = Replaced(line, "$TESTS", SWKV_TESTS_DIR);
  const std::string temporary = ".tmp." + std::to_string(ProcessId());
  line = Replaced(line, ".tmp.$PID", temporary);
  std::string first;
  std::istringstream(line) >> first;
  // What the library prints on stderr for a direct call is shown too.
  const bool direct = first == "call" || first == "sim";
  if (direct) ::testing::internal::CaptureStderr();
  std::string out = Attempt(line);
  std::istringstream printed(direct ? ::testing::internal::GetCapturedStderr() : "");
  for (std::string text; std::getline(printed, text);) out += "stderr: " + text + "\n";
  out += NewTraceLines();
  for (const std::string& note : m_notifications) out += note + "\n";
  m_notifications.clear();
  for (const std::string& text : m_messages) out += text + "\n";
  m_messages.clear();
  out = Replaced(out, m_folder, "$TMP");
  out = Replaced(out, SWKV_TESTS_DIR, "$TESTS");
  out = Replaced(out, temporary, ".tmp.$PID");
  // Why a file could not be read is in the system's own words, which differ between systems.
  // A folder fails to open on one system and to read on another.
  static const std::regex kFileError("cannot (open|read) (\\$TMP/[^:]*): [^;\n]*");
  static const std::regex kLockError(
      "(cannot (open lock file|create directory|create) \\$TMP/[^:]*): [^;\n]*");
  out = std::regex_replace(out, kLockError, "$1: (the system's reason)");
  return Escaped(std::regex_replace(out, kFileError, "cannot read $2: (the system's reason)"));
}

ComPtr<IRiver> AgentSession::Node(const std::string& path) const {
  ComPtr<IRiver> node = CdPath(m_root.get(), path == "/" ? "" : path);
  if (!node) throw Usage{"no node " + path};
  return node;
}

ComPtr<IEventLog> AgentSession::Log(const std::string& path) const {
  return Node(path).As<IEventLog>(IID_IEventLog);
}

void AgentSession::Start(const std::string& scenarioFile) {
  Release();
  ResetSelection();
  PollTickCount() = 0;
  EnclosurePollCount() = 0;
  BatteryPollCount() = 0;
  simReset();
  simClearFaults();
  if (m_clock) simFollowClock(UnixMillisecondsNow);
  const std::string refused = LoadModel(scenarioFile);
  if (!refused.empty()) throw Usage{refused};
  m_handles = HandleOrdinals();
  m_root = ComPtr<RootNode>(RootNode::New());
}

std::string AgentSession::LoadModel(std::string scenario) {
  scenario = Replaced(scenario, "\\n", "\n");
  const std::string file = std::string(SWKV_TESTS_DIR) + "/" + scenario;
  const bool text = scenario.starts_with("{") || scenario.starts_with("[");
  const std::string refused =
      SimRefusal(text ? simLoadScenarioText(scenario.c_str()) : simLoadScenarioFile(file.c_str()));
  simStopClock();
  m_origin = simNow();
  return refused;
}

std::string AgentSession::Tree(IRiver* node, int depth, std::set<std::string>& seen) {
  std::string out;
  for (const std::string& entry : Dir(node)) {
    const std::string name = entry.substr(0, entry.find('@'));
    out += std::string(2 * depth, ' ');
    if (name == "handle") seen.insert(entry.substr(11));
    out += name == "handle" ? "handle@pr-@" + m_handles.Shown(entry.substr(11)) : entry;
    if (entry.compare(name.size(), 5, "@o--@") != 0) {
      out += "\n";
      continue;
    }
    ComPtr<IRiver> child = Cd(node, name);
    const std::string handle = child ? Get(child.get(), "handle") : "(no node)";
    out += child && !seen.contains(handle) ? "\n" + Tree(child.get(), depth + 1, seen)
                                           : " = " + m_handles.Shown(handle) + "\n";
  }
  return out;
}

std::string AgentSession::NewTraceLines(bool show) {
  std::ifstream in(m_tracePath, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(m_traceRead));
  std::string out;
  for (std::string line; std::getline(in, line);) {
    m_traceRead += line.size() + 1;
    if (line.ends_with('\r')) line.pop_back();  // the library writes its trace as text
    // "TIME [PROCESS] c0 raX(...) = 0 -> ...": the call, without when and where.
    std::size_t call = line.find("] ");
    if (call == std::string::npos || !(show || m_tracing)) continue;
    // "trace on FUNCTION...": the calls of these functions only.
    const std::size_t name = line.find(' ', call + 2) + 1;
    const std::string function = line.substr(name, line.find('(', name) - name);
    if (show || m_traceOnly.empty() || m_traceOnly.count(function))
      out += "  " + line.substr(call + 2) + "\n";
  }
  return out;
}

std::string AgentSession::CallLibrary(const Words& w) {
  const std::string& f = w.at(1);
  auto word = [&](std::size_t i) -> const std::string& { return w.at(i + 2); };
  auto arg = [&](std::size_t i) { return static_cast<std::int32_t>(std::stoll(word(i), nullptr, 0)); };
  std::string typed;  // the one text argument
  auto text = [&](std::size_t i) {
    typed = word(i) == "''" ? "" : Unescaped(word(i));
    return typed.c_str();
  };
  std::vector<std::uint32_t> disks;
  auto list = [&](std::size_t i) {
    std::istringstream in(word(i));
    for (std::string item; std::getline(in, item, ',');) disks.push_back(Number(item));
    return disks.data();
  };
  // The outputs start as 0x2A bytes: a failed call must write none of them.
  constexpr std::int32_t kUnwritten = 0x2A2A2A2A;
  std::int32_t value = kUnwritten, index = 0, *selection = &index;
  std::uint32_t count = kUnwritten, items[RA_MAX_LIST], u[2];
  RaArrayInfo info{};
  RaEventRecord records[RA_MAX_EVENTS];
  std::memset(u, 0x2A, sizeof u);
  std::int32_t status = -1;
  std::string shown;
  if (f == "raNeedUpdate") {
    status = raNeedUpdate(&value);
  } else if (f == "raInitialize") {
    index = arg(0);
    status = raInitialize(&selection);
  } else if (f == "raTerminate") {
    status = raTerminate(selection);
  } else if (f == "raClearLog") {
    status = raClearLog();
  } else if (f == "raGetEvents") {
    status = raGetEvents(records, &value);
    for (std::int32_t i = 0; status == 0 && i < value && i < RA_MAX_EVENTS; ++i)
      shown += (i ? "\n  " : "") + std::to_string(records[i].code) + " " +
               std::to_string(records[i].severityClass) + " " +
               Text(records[i].text, sizeof records[i].text, false);
  } else if (f == "raEnumerateAllArrays" || f == "raEnumerateDisksInArray") {
    status = f == "raEnumerateAllArrays" ? raEnumerateAllArrays(&count, items)
                                         : raEnumerateDisksInArray(arg(0), &count, items);
    shown = "->";
    for (std::uint32_t i = 0; i < count && i < RA_MAX_LIST; ++i)
      shown += " " + std::to_string(items[i]);
  } else if (f == "raMapLogicalToPhysicalArray") {
    status = raMapLogicalToPhysicalArray(arg(0), &u[0]);
  } else if (f == "raGetArrayInfo") {
    status = raGetArrayInfo(arg(0), &info);
    shown = "-> " + Text(info.name, sizeof info.name) + " " +
            std::to_string(info.cylinders) + "/" + std::to_string(info.heads) + "/" +
            std::to_string(info.sectorsPerTrack) + " " +
            std::to_string((std::uint64_t{info.sizeHigh} << 32 | info.sizeLow) / 512) + " sectors";
  } else if (f == "raGetArrayStatus") {
    status = raGetArrayStatus(arg(0), &u[0], &u[1], &value);
  } else if (f == "raRenameArray") {
    status = raRenameArray(arg(0), text(1));
  } else if (f == "raArrayRebuildDisk") {
    status = raArrayRebuildDisk(arg(0), arg(1), arg(2));
  } else if (f == "raArraySynchronize") {
    status = raArraySynchronize(arg(0), arg(1));
  } else if (f == "raDeleteArray") {
    status = raDeleteArray(arg(0));
  } else if (f == "raCreateArray") {
    list(2);
    std::vector<std::uint8_t> bytes(disks.begin(), disks.end());
    status = raCreateArray(text(0), arg(1), static_cast<std::uint8_t>(bytes.size()), bytes.data(),
                           w.size() > 5 ? arg(3) : 0);
  } else if (f == "raExpanConv") {
    status = raExpanConv(arg(0), arg(1), arg(2), list(3), arg(4), arg(5));
  } else {
    throw Usage{"call: no library function " + f};
  }
  std::string out = NewTraceLines(true);
  if (status == 0 && !shown.empty()) out += "  " + shown + "\n";
  auto unwritten = [](const void* output, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(output);
    return std::all_of(bytes, bytes + size, [](unsigned char byte) { return byte == 0x2A; });
  };
  if (status != 0 && !(unwritten(u, sizeof u) && unwritten(&count, sizeof count) &&
                       unwritten(&value, sizeof value)))
    out += "  outputs written\n";
  return out;
}

std::string AgentSession::Do(const Words& w, const std::string& rest) {
  const std::string& command = w[0];
  std::string out;
  if (command == "scenario") {
    Start(rest);
  } else if (command == "build") {
    m_sinks.clear();
    m_root = ComPtr<RootNode>(RootNode::New());
  } else if (command == "ls") {
    for (const std::string& entry : Dir(Node(w.at(1)).get()))
      out += (entry.starts_with("handle@") ? "handle@pr-@" + m_handles.Shown(entry.substr(11))
                                           : entry) +
             "\n";
  } else if (command == "tree") {
    std::set<std::string> seen;
    out = Tree(Node(w.at(1)).get(), 0, seen);
  } else if (command == "get" || command == "shown") {
    ComPtr<IRiver> node = Node(w.at(1));
    for (std::size_t i = 2; i < w.size(); ++i) {
      // As a listing's entry, NAME@ACCESS@VALUE; none ("-") when the listing has no such name.
      const std::string entry =
          command == "get" ? "@@" + Get(node.get(), w[i]) : Entry(node.get(), w[i]);
      const std::string value = entry.substr(entry.find('@', entry.find('@') + 1) + 1);
      out += entry.empty() ? w[i] + " -\n" : w[i] + " = " + value + "\n";
    }
  } else if (command == "invoke") {
    std::string argument =
        rest.starts_with("@") ? Get(Node(rest.substr(1)).get(), "handle") : rest;
    for (std::size_t open; (open = argument.find('{')) != std::string::npos;) {
      const std::size_t close = argument.find('}', open);
      argument.replace(open, close - open + 1,
                       HandleNumber(Node(argument.substr(open + 1, close - open - 1)).get()));
    }
    out = Status(Invoke(Node(w.at(1)).get(), w.at(2), argument));
  } else if (command == "refresh") {
    out = Status(Node(w.at(1))->refresh());
  } else if (command == "watch") {
    for (std::size_t i = 1; i < w.size(); ++i) {
      ComPtr<RecordingSink> sink = RecordingSink::Create();
      const std::string label = w[i];
      sink->onNotify = [this, label](ULONG code) {
        m_notifications.push_back("notify " + label + " " + Hex(code, 8));
        React(label, m_notifications);
      };
      if (!sink->AdviseOn(Node(label).get())) throw Usage{"cannot watch " + label};
      m_sinks.emplace_back(label, sink);
    }
  } else if (command == "on") {
    const bool at = w.at(2) == "at";
    m_actions[w.at(1)].emplace_back(at ? Number(w.at(3)) : 0, After(rest, at ? 3 : 1));
  } else if (command == "hold") {
    m_held = Node(w.at(1));
  } else if (command == "fail") {
    out = SimRefusal(simFailCall(w.at(1).c_str(), Number(w.at(2)), Number(w.at(3)),
                                 w.size() > 4 ? Number(w[4]) : SIM_E_INJECTED));
  } else if (command == "misbehave") {
    const std::string& how = w.at(4);
    int kind = how == "count"          ? SIM_MISBEHAVE_COUNT
               : how == "unterminated" ? SIM_MISBEHAVE_UNTERMINATED
               : how == "output"       ? SIM_MISBEHAVE_OUTPUT
               : how == "silent"       ? SIM_MISBEHAVE_SILENT
                                       : 0;
    out = SimRefusal(simMisbehave(w[1].c_str(), Number(w[2]), Number(w[3]),
                                  kind ? kind : Number(how), Number(w.at(5)), Number(w.at(6))));
  } else if (command == "clear-faults") {
    simClearFaults();
  } else if (command == "case") {
    // One row of a table: every fault cleared, every call of FUNCTION giving V0, V1, ... as its
    // outputs ("-" leaves one as the library gives it); then PATH refreshed, or its ACTION run,
    // (the status shown when it fails) and its NAMEs shown; get: no refresh, the first NAME read
    // through get (its hook runs) and the others shown as the listing has them.
    const auto arrow = std::find(w.begin(), w.end(), "->");
    const std::string step = arrow == w.end() || arrow + 1 == w.end() ? "" : arrow[1];
    auto path = arrow + (step == "get" || step == "invoke" ? 2 : 1);
    auto names = path + (step == "invoke" ? 2 : 1);
    simClearFaults();
    for (auto value = w.begin() + 2; value != arrow; ++value) {
      const char* function = w.at(1).c_str();
      if (*value == "-") continue;
      if (value->starts_with("fail:"))
        out += SimRefusal(simFailCall(function, -1, 0, Number(value->substr(5))));
      else if (value->starts_with("count:"))
        out += SimRefusal(
            simMisbehave(function, -1, 0, SIM_MISBEHAVE_COUNT, 0, Number(value->substr(6))));
      else if (*value == "unterminated")
        out += SimRefusal(simMisbehave(function, -1, 0, SIM_MISBEHAVE_UNTERMINATED, 0, 0));
      else
        out += SimRefusal(simMisbehave(function, -1, 0, SIM_MISBEHAVE_OUTPUT,
                                       static_cast<std::int32_t>(value - w.begin() - 2),
                                       Number(*value)));
    }
    if (step == "get") {
      out += Do({"get", *path, *names++}, "");
    } else {
      const HRESULT status = step == "invoke" ? Invoke(Node(*path).get(), path[1], "")
                                              : Node(*path)->refresh();
      if (status != S_OK) out += Status(status);
    }
    if (names != w.end()) {
      Words shown{"shown", *path};
      shown.insert(shown.end(), names, w.end());
      out += Do(shown, "");
    }
  } else if (command == "apply") {
    out = SimRefusal(simApply(rest.c_str()));
  } else if (command == "advance") {
    simAdvanceClock(static_cast<std::int64_t>(Number(w.at(1))) * 1000);
  } else if (command == "pass") {
    for (int i = w.size() > 1 ? Number(w[1]) : 1; i > 0; --i)
      PollTimerProc(nullptr, WM_TIMER, PollTimerId(), 0);
  } else if (command == "tick") {
#ifndef _WIN32
    if (!m_clock) SwkvTestClockSet(1700000000000);  // 2023-11-14 22:13:20 UTC
    m_clock = true;
    for (std::size_t i = 1; i < std::max<std::size_t>(w.size(), 2); ++i) {
      SwkvTestClockAdvance(w.size() > 1 ? static_cast<std::uint64_t>(Number(w[i])) : 1000);
      out += "dispatched " + std::to_string(PumpMessages()) + "\n";
    }
#endif
  } else if (command == "trace") {
    NewTraceLines();
    m_tracing = w.at(1) == "on";
    m_traceOnly = std::set<std::string>(w.begin() + 2, w.end());
  } else if (command == "count") {
    ULONG count = 0xDEADBEEF;
    HRESULT status = Log(w.at(1))->GetNewCount(w.size() > 2 ? nullptr : &count);
    out = (w.size() > 2 ? "" : std::to_string(count) + " ") + Status(status);
  } else if (command == "read") {
    ComPtr<IEventLog> log = Log(w.at(1));
    ULONG size = 77;
    if (w.size() > 2 && w[2] == "null") out = Status(log->ReadEventLog(nullptr, &size));
    for (int i = w.size() > 2 ? (w[2] == "null" ? 0 : Number(w[2])) : 1; i > 0; --i) {
      const ReadResult read = Read(log.get(), &size);
      std::string record = read.null        ? "<null>"
                           : read.untouched ? "<untouched>"
                                            : WithoutTime(read.record);
      // On the manual clock: the time of the record from the scenario's start.
      if (m_clock && record != read.record) {
        const std::int64_t time = std::stoll(read.record.substr(read.record.find('@') + 1));
        record.replace(record.find("@T@"), 3, "@T+" + std::to_string(time - m_origin / 1000) + "@");
      }
      out += record + " " + Status(read.status);
    }
    if (size != 77) out += "size written: " + std::to_string(size) + "\n";
  } else if (command == "clear-log") {
    out = Status(Log(w.at(1))->ClearLog());
  } else if (command == "reg") {
    out = GetString(HKEY_LOCAL_MACHINE, w.at(1), w.at(2).c_str()) + "\n";
  } else if (command == "reg-readonly") {
    m_registry.MakeReadOnly(HKEY_LOCAL_MACHINE, w.at(1));
  } else if (command == "select") {
    if (w.at(1) == "none")
      ResetSelection();
    else if (!SelectController(Number(w.at(1))))
      out = "not selected\n";
  } else if (command == "links") {
    const std::string tail = "@o--@" + (w.size() > 2 ? w[2] : std::string());
    for (const std::string& entry : Dir(Node(w.at(1)).get()))
      if (w.size() > 2 ? entry.ends_with(tail) : entry.find(tail) != std::string::npos)
        out += (out.empty() ? "" : " ") + entry.substr(0, entry.find('@'));
    out += out.empty() ? "(none)\n" : "\n";
  } else if (command == "poll") {
    auto& controller = dynamic_cast<ControllerNode&>(*static_cast<CRiver*>(Node(w.at(1)).get()));
    int last = -1, times = 0;
    auto flush = [&] {
      if (times) out += std::to_string(last) + (times > 1 ? " (" + std::to_string(times) + " times)\n" : "\n");
    };
    for (int i = w.size() > 3 ? Number(w[3]) : 1; i > 0; --i) {
      int result = w.at(2) == "battery" ? controller.BatteryPoll() : controller.EnclosurePoll();
      if (result != last) flush(), last = result, times = 0;
      ++times;
    }
    flush();
  } else if (command == "held") {
    for (std::size_t i = 2; i < w.size(); ++i)
      out += w[i] + " = " + Get(m_held.get(), w[i]) + "\n";
    if (w.size() == 2)
      out = Node(w.at(1)).get() == m_held.get() ? "the same node\n" : "another node\n";
  } else if (command == "nodes") {
    out = "discovered " + std::to_string(ControllerCount()) + ", controller nodes " +
          std::to_string(ControllerNodeList().size()) + ", array nodes " +
          std::to_string(ArrayNodeList().size()) + "\n";
  } else if (command == "qi") {
    static const std::map<std::string, IID> kInterfaces = {
        {"IUnknown", IID_IUnknown}, {"IRiver", IID_IRiver}, {"IEventLog", IID_IEventLog},
        {"IDispatch", IID_IDispatch}, {"IConnectionPointContainer", IID_IConnectionPointContainer}};
    std::vector<ComPtr<IUnknown>> held(1);  // every pointer handed out, kept to the end
    std::vector<IUnknown*> seen;            // the different ones, in order
    Node("/")->cd(UniqueBstr::FromAnsi(w.at(1)).get(), held[0].put());
    for (std::size_t i = 1; i < w.size(); ++i) {
      void* part = reinterpret_cast<void*>(1);
      const HRESULT status =
          i == 1 ? S_OK : held.back()->QueryInterface(kInterfaces.at(w[i]), &part);
      if (FAILED(status)) {
        out += w[i] + " refused " + Hex(static_cast<std::uint32_t>(status), 8) +
               (part ? ", out written\n" : "\n");
        continue;
      }
      if (i > 1) held.push_back(ComPtr<IUnknown>::Attach(static_cast<IUnknown*>(part)));
      auto at = std::find(seen.begin(), seen.end(), held.back().get());
      if (at == seen.end()) at = seen.insert(seen.end(), held.back().get());
      held.back()->AddRef();
      out += (i == 1 ? "cd" : w[i]) + " = p" + std::to_string(at - seen.begin() + 1) +
             ", count " + std::to_string(held.back()->Release()) + "\n";
    }
  } else if (command == "release") {
    Release();
  } else if (command == "call") {
    out = CallLibrary(w);
  } else if (command == "silent") {
    for (std::size_t i = 1; i < w.size(); ++i)
      out += SimRefusal(simMisbehave(w[i].c_str(), -1, 0, SIM_MISBEHAVE_SILENT, 0, 0));
    out += Do({"build"}, "");
  } else {
    out = SimCommand(w, rest);
  }
  return out;
}

}  // namespace swkv::test
