#include "tools/swkvctl/session.h"

#include <algorithm>

#include "tools/swkvctl/arguments.h"
#include "tools/swkvctl/command_line.h"
#include "tools/swkvctl/display_text.h"
#include "tools/swkvctl/entry_json.h"
#include "tools/swkvctl/json_text.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/status_text.h"
#include "tools/swkvctl/tree_snapshot.h"
#include "tools/swkvctl/tree_view.h"

namespace swkv::ctl {

namespace {

const std::vector<std::string> kShellCommands = {"cd",   "pwd",    "ls",      "tree",   "get",
                                                 "set",  "invoke", "refresh", "events", "watch",
                                                 "complete", "help", "exit", "quit"};

std::string EntryList(const std::vector<Entry>& entries) {
  std::string list;
  for (const Entry& entry : entries) {
    if (entry.IsLink()) continue;
    if (!list.empty()) list += ", ";
    list += DisplayText(entry.name);
  }
  return list.empty() ? "none" : list;
}

}  // namespace

Session::Session(SessionOptions options, std::ostream& out, std::ostream& err)
    : m_options(std::move(options)),
      m_out(out),
      m_err(err),
      m_style(TerminalStyle::ForStandardOutput(m_options.color)),
      m_loop(m_options.speed) {}

Session::~Session() {
  // The tree goes first; then the time-lapse ends and the module goes, if it lets itself be
  // unloaded (host_system.h).
  m_root.reset();
}

bool Session::IsShellCommand(const std::string& name) {
  return std::find(kShellCommands.begin(), kShellCommands.end(), name) != kShellCommands.end();
}

const std::vector<std::string>& Session::ShellCommands() { return kShellCommands; }

void Session::Open() {
  if (m_root) return;
  ComponentHost::DefaultSimulatorState();
  m_host.Load(m_options.moduleFile, m_err);
  m_loop.Begin();
  m_root = m_host.CreateRoot();
}

int Session::Run(const std::vector<std::string>& typed) {
  // -q may stand anywhere in a command's words, as on swkvctl's command line.
  std::vector<std::string> words = typed;
  const bool quietBefore = m_options.quiet;
  if (TakeQuiet(words)) m_options.quiet = true;
  struct RestoreQuiet {
    bool& quiet;
    bool before;
    ~RestoreQuiet() { quiet = before; }
  } restore{m_options.quiet, quietBefore};
  try {
    int code = Dispatch(words);
    m_out.flush();
    return code;
  } catch (const Failure& failure) {
    m_out.flush();
    m_err << "swkvctl: " << failure.what() << "\n";
    m_err.flush();
    return failure.code();
  } catch (const std::exception& problem) {
    m_out.flush();
    m_err << "swkvctl: " << (words.empty() ? "" : words[0] + ": ") << "failed: " << problem.what()
          << "\n";
    m_err.flush();
    return kExitFailed;
  }
}

int Session::Dispatch(const std::vector<std::string>& words) {
  if (words.empty()) return kExitOk;
  const std::string& command = words[0];
  if (command == "tree") return Tree(words);
  if (command == "ls") return List(words);
  if (command == "get") return Get(words);
  if (command == "set") return Set(words);
  if (command == "invoke") return Invoke(words);
  if (command == "refresh") return Refresh(words);
  if (command == "events") return Events(words);
  if (command == "watch") return Watch(words);
  if (command == "cd") return ChangeNode(words);
  if (command == "pwd") {
    Arguments(words).Positional(0, 0, "pwd");
    m_out << ShowPath(m_current) << "\n";
    return kExitOk;
  }
  throw Failure(kExitUsage, "unknown command " + command + " (swkvctl help lists the commands)");
}

NodeAt Session::Node(const std::string& path) const {
  return ResolveNode(m_root.get(), m_current, path);
}

void Session::StatusLine(const std::string& operation, HRESULT status, const std::string& meaning) {
  if (m_options.quiet) return;
  m_out << operation << ": " << StatusText(status) << (meaning.empty() ? "" : ": " + meaning)
        << "\n";
}

int Session::Tree(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool json = args.Flag("--json");
  const bool brief = args.Flag("--brief");
  const auto& rest = args.Positional(0, 1, "tree [PATH] [--brief | --json]");
  if (json && brief) throw Failure(kExitUsage, "tree: --brief and --json cannot be used together");
  Open();
  NodeAt at = Node(rest.empty() ? "" : rest[0]);
  TreeSnapshot tree = TreeSnapshot::Take(at.river.get(), at.path, at.kind);
  if (json)
    PrintTreeJson(tree, m_out);
  else if (brief)
    PrintTreeBrief(tree, m_out, m_style);
  else
    PrintTree(tree, m_out, m_style);
  return kExitOk;
}

int Session::List(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool json = args.Flag("--json");
  const auto& rest = args.Positional(0, 1, "ls [PATH] [--json]");
  Open();
  NodeAt at = Node(rest.empty() ? "" : rest[0]);
  NodeRecord node;
  node.path = at.path;
  node.kind = at.kind;
  HRESULT status = ListEntries(at.river.get(), node.entries);
  if (FAILED(status))
    throw Failure(kExitFailed, "ls " + ShowPath(at.path) + ": dir returned " + StatusText(status));
  if (const Entry* handle = node.FindEntry("handle")) node.handle = handle->value;
  if (json) {
    PrintEntriesJson(node, m_out);
    return kExitOk;
  }
  PrintEntries(node, m_out);
  StatusLine("dir", status, std::to_string(node.entries.size()) + " entries");
  return kExitOk;
}

int Session::Get(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool json = args.Flag("--json");
  const auto& rest = args.Positional(1, 64, "get [PATH] NAME... [--json]");
  Open();
  // Names of the current node's entries, or a path and names of that node's.
  NodeAt at = Node("");
  std::vector<Entry> entries;
  ListEntries(at.river.get(), entries);
  auto here = std::find_if(entries.begin(), entries.end(), [&](const Entry& entry) {
    return entry.name == rest[0] && !entry.IsLink();
  });
  const bool pathGiven = rest.size() > 1 && here == entries.end();
  if (pathGiven) {
    at = Node(rest[0]);
    ListEntries(at.river.get(), entries);
  }
  HRESULT last = S_OK;
  if (json) m_out << "{\n  \"path\": " << JsonString(ShowPath(at.path)) << ",\n  \"entries\": [";
  for (std::size_t i = pathGiven ? 1 : 0; i < rest.size(); ++i) {
    const std::string& name = rest[i];
    auto found = std::find_if(entries.begin(), entries.end(),
                              [&](const Entry& entry) { return entry.name == name; });
    // get answers success for any name and leaves our buffer alone: look the name up first.
    if (found == entries.end())
      throw Failure(kExitUnknownName, "unknown entry " + DisplayText(name) + " of " +
                                          ShowPath(at.path) +
                                          " (its entries: " + EntryList(entries) + ")");
    Entry read = *found;
    last = GetValue(at.river.get(), name, read.value);
    const std::string& value = read.value;
    if (json)
      m_out << (i == (pathGiven ? 1u : 0u) ? "\n    " : ",\n    ") << EntryJson(at.kind, read);
    else if (m_options.quiet)
      m_out << DisplayText(value) << "\n";
    else
      m_out << DisplayText(name) << " = " << DisplayText(value) << "\n";
    if (FAILED(last))
      throw Failure(kExitFailed,
                    "get " + ShowPath(at.path) + " " + name + " returned " + StatusText(last));
  }
  if (json) {
    m_out << "\n  ]\n}\n";
    return kExitOk;
  }
  StatusLine("get", last, "");
  return kExitOk;
}

int Session::ChangeNode(const std::vector<std::string>& words) {
  Arguments args(words);
  const auto& rest = args.Positional(0, 1, "cd [PATH]");
  Open();
  m_current = Node(rest.empty() ? "/" : rest[0]).path;
  return kExitOk;
}

}  // namespace swkv::ctl
