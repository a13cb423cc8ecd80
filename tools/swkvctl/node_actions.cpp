// The commands that act on a node: set, invoke, refresh, and events (which reads and may clear
// a controller's event log).
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tools/swkvctl/action_arguments.h"
#include "tools/swkvctl/arguments.h"
#include "tools/swkvctl/change_report.h"
#include "tools/swkvctl/display_text.h"
#include "tools/swkvctl/event_records.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/json_text.h"
#include "tools/swkvctl/node_text_entries.h"
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

// "an array", "a disk", "the root".
std::string WithArticle(int kind) {
  if (kind == kKindRoot) return "the root";
  const std::string name = KindName(kind);
  return (name.find_first_of("aeiou") == 0 ? "an " : "a ") + name;
}

// The member of the array at arrayPath that is the disk at node, which may be given under its
// channel ("HBA1/ch2/slave") or under the array ("HBA1/System/disk4"): a member is named after the
// disk's number plus one, the number being twice the channel, plus one for the slave.
NodeAt MemberOf(IRiver* root, const std::string& arrayPath, const NodeAt& node,
                const std::string& field) {
  if (node.kind != kKindDisk)
    throw Failure(kExitUsage, "in the action's argument: " + field + " is " +
                                  WithArticle(node.kind) + ", not a disk");
  const std::string name = node.path.substr(node.path.rfind('/') + 1);
  // Disk numbers count within a controller: a disk of another one is no member.
  const bool sameController =
      node.path.substr(0, node.path.find('/')) == arrayPath.substr(0, arrayPath.find('/'));
  int number = -1;
  if (!sameController) {
  } else if (name.rfind("disk", 0) == 0) {
    number = std::atoi(name.c_str() + 4) - 1;
  } else if (name == "master" || name == "slave") {
    std::string channel;
    GetValue(node.river.get(), "Channel", channel);
    number = 2 * std::atoi(channel.c_str()) + (name == "slave" ? 1 : 0);
  }
  const std::string member = "disk" + std::to_string(number + 1);
  try {
    if (number >= 0) return ResolveNode(root, "", arrayPath + "/" + member);
  } catch (const Failure&) {
  }
  std::string members;
  std::vector<Entry> entries;
  ListEntries(ResolveNode(root, "", arrayPath).river.get(), entries);
  for (const Entry& entry : entries) {
    if (!entry.IsLink()) continue;
    if (!members.empty()) members += ", ";
    members += PathStep(entry.name);
  }
  throw Failure(kExitUsage, "in the action's argument: " + field + " is not a member of " +
                                ShowPath(arrayPath) + " (its members: " +
                                (members.empty() ? "none" : members) + ")");
}

// Fields of an action argument that are node paths (they hold a '/') are replaced by the node's
// handle number, looked up from the current node and then from the node acted on.
std::string ResolveArgument(IRiver* root, const std::string& current, const NodeAt& target,
                            const std::string& action, const std::string& argument,
                            std::vector<std::string>& resolved) {
  std::string result;
  std::size_t start = 0;
  for (std::size_t index = 0;; ++index) {
    std::size_t end = argument.find('@', start);
    std::string field = argument.substr(start, end == std::string::npos ? end : end - start);
    // A member of the array acted on may be named by its link name alone ("disk4").
    const bool member = FieldIsArrayMember(target.kind, action, index);
    const bool numeric =
        !field.empty() && field.find_first_not_of("0123456789") == std::string::npos;
    if ((field.find('/') != std::string::npos || (member && !numeric)) &&
        field[0] != '"') {
      NodeAt node;
      try {
        node = ResolveNode(root, current, field);
      } catch (const Failure& failure) {
        if (field[0] == '/') throw;
        try {
          node = ResolveNode(root, target.path, field);
        } catch (const Failure&) {
          throw Failure(kExitUnknownName, std::string("in the action's argument: ") +
                                              failure.what() +
                                              " (--raw passes the argument unchanged)");
        }
      }
      const std::size_t fields = static_cast<std::size_t>(
          std::count(argument.begin(), argument.end(), '@') + 1);
      if (const int wanted = FieldKind(target.kind, action, index, fields);
          wanted != 0 && node.kind != wanted)
        throw Failure(kExitUsage, "in the action's argument: " + field + " is " +
                                      WithArticle(node.kind) + ", not " + WithArticle(wanted));
      std::string line = field + " -> ";
      if (member && node.path.rfind(target.path + "/", 0) != 0) {
        node = MemberOf(root, target.path, node, field);
        line += ShowPath(node.path) + " -> ";
      }
      const std::string number = HandleNumber(node.river.get());
      resolved.push_back(line + number);
      field = number;
    }
    result += field;
    if (end == std::string::npos) break;
    result += '@';
    start = end + 1;
  }
  return result;
}

}  // namespace

int Session::Set(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool textOnly = args.Flag("--text-only");
  const bool json = args.Flag("--json");
  const auto& rest = args.Positional(2, 3, "set [PATH] NAME VALUE [--text-only] [--json]");
  Open();
  const bool here = rest.size() == 2;
  NodeAt at = Node(here ? "" : rest[0]);
  const std::string& name = rest[here ? 0 : 1];
  const std::string& value = rest[here ? 1 : 2];
  std::vector<Entry> entries;
  ListEntries(at.river.get(), entries);
  const Entry* entry = Find(entries, name);
  if (!entry) throw UnknownEntry(at.path, name, "entry");
  const std::string what = "set " + ShowPath(at.path) + " " + DisplayText(name);
  const std::string controllerWay =
      entry->IsWritable() ? ControllerWayFor(at.kind, at.path, name) : "";
  if (!controllerWay.empty() && !textOnly)
    throw Failure(kExitRefused, what + ": not written: " + DisplayText(name) + " of " +
                                    WithArticle(at.kind) +
                                    " is only the node's text, the controller would keep its "
                                    "own; " + DisplayText(controllerWay) +
                                    " (--text-only writes the node's text anyway)");
  ChangeReport report(m_root.get());
  HRESULT status = SetValue(at.river.get(), name, value);
  if (status == S_FALSE)
    throw Failure(kExitRefused, what + " refused with " + StatusText(status) + ": " +
                                    WhyNotWritable(*entry, entries));
  if (FAILED(status)) throw Failure(kExitFailed, what + " failed: " + StatusText(status));
  report.Finish(at.path);
  const std::string meaning = controllerWay.empty()
                                  ? "stored"
                                  : "stored in the node's text only; the controller is unchanged";
  if (json) {
    m_out << "{\n  \"command\": \"set\",\n  \"path\": " << JsonString(ShowPath(at.path))
          << ",\n  \"name\": " << JsonString(name) << ",\n  \"value\": " << JsonString(value)
          << ",\n  \"status\": " << JsonString(StatusText(status))
          << ",\n  \"controllerChanged\": " << (controllerWay.empty() ? "null" : "false")
          << ",\n  ";
    report.PrintJsonMembers(m_out);
    m_out << "\n}\n";
    return kExitOk;
  }
  StatusLine("set", status, meaning);
  report.Print(m_out);
  return kExitOk;
}

int Session::Invoke(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool raw = args.Flag("--raw");
  const bool json = args.Flag("--json");
  const auto& rest = args.Positional(1, 3, "invoke [PATH] ACTION [ARGUMENT] [--raw] [--json]");
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
  const std::string typed = actionAt + 1 < rest.size() ? rest[actionAt + 1] : "";
  std::string argument = typed;
  const Entry* entry = Find(entries, action);
  if (!entry) throw UnknownEntry(at.path, action, "action");
  std::vector<std::string> resolved;
  if (!raw && entry->IsAction() && !TakesText(at.kind, action)) {
    try {
      argument = ResolveArgument(m_root.get(), m_current, at, action, argument, resolved);
      argument = CheckActionArgument(at.kind, action, argument);
    } catch (const Failure& failure) {
      throw Failure(failure.code(), "invoke " + ShowPath(at.path) + " " + DisplayText(action) +
                                        (typed.empty() ? "" : " " + DisplayText(typed)) + ": " +
                                        failure.what());
    }
  }
  ChangeReport report(m_root.get());
  HRESULT status = InvokeAction(at.river.get(), action, argument);
  const std::string what = "invoke " + ShowPath(at.path) + " " + DisplayText(action);
  if (status == S_FALSE)
    throw Failure(kExitRefused, what + " refused with " + StatusText(status) + ": " +
                                    DisplayText(action) + " is " +
                                    (entry->IsLink() ? "a child node" : "a property") +
                                    ", not an action");
  if (FAILED(status)) throw Failure(kExitFailed, what + " failed: " + StatusText(status));
  const bool effect = report.Finish(at.path);
  if (json) {
    m_out << "{\n  \"command\": \"invoke\",\n  \"path\": " << JsonString(ShowPath(at.path))
          << ",\n  \"action\": " << JsonString(action) << ",\n  \"argument\": "
          << JsonString(argument) << ",\n  \"status\": " << JsonString(StatusText(status))
          << ",\n  \"effect\": " << (effect ? "true" : "false") << ",\n  ";
    report.PrintJsonMembers(m_out);
    m_out << "\n}\n";
  }
  if (!effect) {
    const std::string takes = ActionTakes(at.kind, action);
    throw Failure(kExitRefused,
                  what + (argument.empty() ? "" : " " + DisplayText(argument)) +
                      ": the component answered " + StatusText(status) +
                      ", but nothing changed: no entry of the tree changed and " +
                      ShowPath(at.path) +
                      " sent no notification (the controller may have refused it; the "
                      "component does not say why)" +
                      (takes.empty() ? "" : "; " + DisplayText(action) + " takes " + takes));
  }
  if (json) return kExitOk;
  if (argument != typed) {
    m_out << "argument: " << DisplayText(argument) << "\n";
    for (const std::string& line : resolved) m_out << "  " << DisplayText(line) << "\n";
  }
  StatusLine("invoke", status, "the action ran");
  report.Print(m_out);
  return kExitOk;
}

int Session::Refresh(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool json = args.Flag("--json");
  const auto& rest = args.Positional(0, 1, "refresh [PATH] [--json]");
  Open();
  NodeAt at = Node(rest.empty() ? "" : rest[0]);
  ChangeReport report(m_root.get());
  HRESULT status = at.river->refresh();
  if (FAILED(status))
    throw Failure(kExitFailed, "refresh " + ShowPath(at.path) + " failed: " + StatusText(status));
  report.Finish(at.path);
  if (json) {
    m_out << "{\n  \"command\": \"refresh\",\n  \"path\": " << JsonString(ShowPath(at.path))
          << ",\n  \"status\": " << JsonString(StatusText(status)) << ",\n  ";
    report.PrintJsonMembers(m_out);
    m_out << "\n}\n";
    return kExitOk;
  }
  StatusLine("refresh", status, "the node read its device again");
  report.Print(m_out);
  return kExitOk;
}

int Session::Events(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool clear = args.Flag("--clear");
  const bool json = args.Flag("--json");
  const auto& rest = args.Positional(1, 1, "events CONTROLLER [--clear] [--json]");
  Open();
  NodeAt at = Node(rest[0]);
  ComPtr<IEventLog> log = EventLogOf(at.river.get());
  if (at.kind != kKindController || !log)
    throw Failure(kExitUnknownName, ShowPath(at.path) + " is " + WithArticle(at.kind) +
                                        ", not a controller: only controllers keep an event log");
  // The component fetches events from the controller in its polling pass; a fresh process has
  // had none yet, so one pass runs first (at most a second and a half of waiting).
  InterruptScope interrupts;
  const bool polled = m_loop.RunOnePass(ClockMilliseconds() + 1500);
  if (!polled && !m_options.quiet && !json)
    m_out << "(no polling pass ran: the component polls only once an array exists)\n";
  std::vector<EventRecord> records;
  HRESULT status = ReadNewEvents(log.get(), records);
  if (json) {
    if (FAILED(status))
      throw Failure(kExitFailed, "reading the event log of " + ShowPath(at.path) +
                                     " failed: " + StatusText(status));
    const HRESULT cleared = clear ? log->ClearLog() : S_OK;
    m_out << "{\n  \"controller\": " << JsonString(ShowPath(at.path))
          << ",\n  \"polled\": " << (polled ? "true" : "false") << ",\n  \"events\": [";
    for (std::size_t i = 0; i < records.size(); ++i)
      m_out << (i == 0 ? "\n    " : ",\n    ") << EventJson(records[i]);
    m_out << (records.empty() ? "" : "\n  ") << "],\n  \"cleared\": "
          << (clear ? JsonString(StatusText(cleared)) : "null") << "\n}\n";
    return kExitOk;
  }
  if (!m_options.quiet)
    m_out << ShowPath(at.path) << ": " << records.size() << " new event"
          << (records.size() == 1 ? "" : "s") << "\n";
  for (const EventRecord& record : records) {
    if (!record.parsed) {
      m_out << "  " << DisplayText(record.raw) << "\n";
      continue;
    }
    char category[16];
    std::snprintf(category, sizeof category, "0x%03llX", record.category);
    m_out << "  " << record.TimeText() << "  " << record.SeverityWord()
          << std::string(8 - std::min<std::size_t>(7, record.SeverityWord().size()), ' ')
          << DisplayText(record.name) << ": " << DisplayText(record.text) << "  (category "
          << category << ")\n";
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
