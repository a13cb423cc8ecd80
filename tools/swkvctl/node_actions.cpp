// The commands that act on a node: set, invoke, refresh, and events (which reads and may clear
// a controller's event log).
#include <algorithm>
#include <cstdio>

#include "tools/swkvctl/arguments.h"
#include "tools/swkvctl/change_report.h"
#include "tools/swkvctl/event_records.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/session.h"
#include "tools/swkvctl/status_text.h"

namespace swkv::ctl {

namespace {

const Entry* Find(const std::vector<Entry>& entries, const std::string& name) {
  for (const Entry& entry : entries)
    if (entry.name == name) return &entry;
  return nullptr;
}

Failure UnknownEntry(const std::string& path, const std::string& name, const char* what) {
  return Failure(kExitUnknownName, "unknown " + std::string(what) + " " + name + " of " +
                                       ShowPath(path) + " (swkvctl ls " + ShowPath(path) +
                                       " lists its entries)");
}

// Why set refused an entry that exists.
std::string WhyNotWritable(const Entry& entry, const std::vector<Entry>& entries) {
  if (entry.IsLink()) return entry.name + " is a child node, not a property";
  if (entry.IsAction()) return entry.name + " is an action (swkvctl invoke runs it)";
  std::string why = entry.name + " is read-only (access " + entry.access + ")";
  // Controller settings show as "GetSmart", "ReadThreshold" and change through "SetSmart",
  // "SetReadThreshold".
  for (const std::string& action :
       {"Set" + entry.name, entry.name.rfind("Get", 0) == 0 ? "Set" + entry.name.substr(3) : ""})
    if (!action.empty() && Find(entries, action) && Find(entries, action)->IsAction())
      return why + "; it changes through the action " + action;
  return why;
}

// The address part of a node's handle, as actions take it.
std::string HandleNumber(IRiver* node) {
  std::string handle;
  GetValue(node, "handle", handle);
  return handle.substr(0, handle.find(';'));
}

// Fields of an action argument that are node paths (they hold a '/') are replaced by the node's
// handle number, looked up from the current node and then from the node acted on.
std::string ResolveArgument(IRiver* root, const std::string& current, const std::string& target,
                            const std::string& argument, std::vector<std::string>& resolved) {
  std::string result;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = argument.find('@', start);
    std::string field = argument.substr(start, end == std::string::npos ? end : end - start);
    if (field.find('/') != std::string::npos && field[0] != '"') {
      NodeAt node;
      try {
        node = ResolveNode(root, current, field);
      } catch (const Failure& failure) {
        if (field[0] == '/') throw;
        try {
          node = ResolveNode(root, target, field);
        } catch (const Failure&) {
          throw Failure(kExitUnknownName, std::string("in the action's argument: ") +
                                              failure.what() +
                                              " (--raw passes the argument unchanged)");
        }
      }
      const std::string number = HandleNumber(node.river.get());
      resolved.push_back(field + " -> " + number);
      field = number;
    }
    result += field;
    if (end == std::string::npos) break;
    result += '@';
    start = end + 1;
  }
  return result;
}

// "an array", "a disk", "the root".
std::string WithArticle(int kind) {
  if (kind == kKindRoot) return "the root";
  const std::string name = KindName(kind);
  return (name.find_first_of("aeiou") == 0 ? "an " : "a ") + name;
}

}  // namespace

int Session::Set(const std::vector<std::string>& words) {
  Arguments args(words);
  const auto& rest = args.Positional(2, 3, "set [PATH] NAME VALUE");
  Open();
  const bool here = rest.size() == 2;
  NodeAt at = Node(here ? "" : rest[0]);
  const std::string& name = rest[here ? 0 : 1];
  const std::string& value = rest[here ? 1 : 2];
  std::vector<Entry> entries;
  ListEntries(at.river.get(), entries);
  const Entry* entry = Find(entries, name);
  if (!entry) throw UnknownEntry(at.path, name, "entry");
  ChangeReport report(m_root.get());
  HRESULT status = SetValue(at.river.get(), name, value);
  if (status == S_FALSE)
    throw Failure(kExitRefused, "set " + ShowPath(at.path) + " " + name + " refused with " +
                                    StatusText(status) + ": " + WhyNotWritable(*entry, entries));
  if (FAILED(status))
    throw Failure(kExitFailed,
                  "set " + ShowPath(at.path) + " " + name + " failed: " + StatusText(status));
  StatusLine("set", status, "stored");
  report.Print(m_out, at.path);
  return kExitOk;
}

int Session::Invoke(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool raw = args.Flag("--raw");
  const auto& rest = args.Positional(1, 3, "invoke [PATH] ACTION [ARGUMENT] [--raw]");
  Open();
  // invoke ACTION | invoke ACTION ARGUMENT (an action of the current node) | invoke PATH ACTION
  // | invoke PATH ACTION ARGUMENT.
  std::size_t actionAt = rest.size() == 3 ? 1 : 0;
  NodeAt at = Node("");
  std::vector<Entry> entries;
  if (rest.size() == 2) {
    ListEntries(at.river.get(), entries);
    const Entry* here = Find(entries, rest[0]);
    if (!here || !here->IsAction()) actionAt = 1;
  }
  if (actionAt == 1) {
    at = Node(rest[0]);
    ListEntries(at.river.get(), entries);
  } else if (entries.empty()) {
    ListEntries(at.river.get(), entries);
  }
  const std::string& action = rest[actionAt];
  std::string argument = actionAt + 1 < rest.size() ? rest[actionAt + 1] : "";
  const Entry* entry = Find(entries, action);
  if (!entry) throw UnknownEntry(at.path, action, "action");
  if (!raw) {
    std::vector<std::string> resolved;
    argument = ResolveArgument(m_root.get(), m_current, at.path, argument, resolved);
    if (!resolved.empty()) {
      m_out << "argument: " << argument << "\n";
      for (const std::string& line : resolved) m_out << "  " << line << "\n";
    }
  }
  ChangeReport report(m_root.get());
  HRESULT status = InvokeAction(at.river.get(), action, argument);
  const std::string what = "invoke " + ShowPath(at.path) + " " + action;
  if (status == S_FALSE)
    throw Failure(kExitRefused, what + " refused with " + StatusText(status) + ": " + action +
                                    " is " + (entry->IsLink() ? "a child node" : "a property") +
                                    ", not an action");
  if (FAILED(status)) throw Failure(kExitFailed, what + " failed: " + StatusText(status));
  StatusLine("invoke", status, "the action ran");
  if (!report.Print(m_out, at.path))
    throw Failure(kExitRefused, what +
                                    ": the action ran but had no effect: nothing in the tree "
                                    "changed and " +
                                    ShowPath(at.path) +
                                    " sent no notification (the controller may have refused "
                                    "it; the component does not report why)");
  return kExitOk;
}

int Session::Refresh(const std::vector<std::string>& words) {
  Arguments args(words);
  const auto& rest = args.Positional(0, 1, "refresh [PATH]");
  Open();
  NodeAt at = Node(rest.empty() ? "" : rest[0]);
  ChangeReport report(m_root.get());
  HRESULT status = at.river->refresh();
  if (FAILED(status))
    throw Failure(kExitFailed, "refresh " + ShowPath(at.path) + " failed: " + StatusText(status));
  StatusLine("refresh", status, "the node read its device again");
  report.Print(m_out, at.path);
  return kExitOk;
}

int Session::Events(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool clear = args.Flag("--clear");
  const auto& rest = args.Positional(1, 1, "events CONTROLLER [--clear]");
  Open();
  NodeAt at = Node(rest[0]);
  ComPtr<IEventLog> log = EventLogOf(at.river.get());
  if (at.kind != kKindController || !log)
    throw Failure(kExitUnknownName, ShowPath(at.path) + " is " + WithArticle(at.kind) +
                                        ", not a controller: only controllers keep an event log");
  // The component fetches events from the controller in its polling pass; a fresh process has
  // had none yet, so one pass runs first (at most a second and a half of waiting).
  InterruptScope interrupts;
  if (!m_loop.RunOnePass(ClockMilliseconds() + 1500) && !m_options.quiet)
    m_out << "(no polling pass ran: the component polls only once an array exists)\n";
  std::vector<EventRecord> records;
  HRESULT status = ReadNewEvents(log.get(), records);
  if (!m_options.quiet)
    m_out << ShowPath(at.path) << ": " << records.size() << " new event"
          << (records.size() == 1 ? "" : "s") << "\n";
  for (const EventRecord& record : records) {
    if (!record.parsed) {
      m_out << "  " << record.raw << "\n";
      continue;
    }
    char category[16];
    std::snprintf(category, sizeof category, "0x%03llX", record.category);
    m_out << "  " << record.TimeText() << "  " << record.SeverityWord()
          << std::string(8 - std::min<std::size_t>(7, record.SeverityWord().size()), ' ')
          << record.name << ": " << record.text << "  (category " << category << ")\n";
  }
  if (FAILED(status))
    throw Failure(kExitFailed, "reading the event log of " + ShowPath(at.path) +
                                   " failed: " + StatusText(status));
  StatusLine("ReadEventLog", status, "");
  if (clear) {
    status = log->ClearLog();
    StatusLine("ClearLog", status, "the controller's log was cleared");
  }
  return kExitOk;
}

}  // namespace swkv::ctl
