#include "tools/swkvctl/watcher.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tools/swkvctl/arguments.h"
#include "tools/swkvctl/change_report.h"
#include "tools/swkvctl/display_text.h"
#include "tools/swkvctl/event_records.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/host_system.h"
#include "tools/swkvctl/json_text.h"
#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/session.h"
#include "tools/swkvctl/tree_snapshot.h"
#include "tools/swkvctl/value_notes.h"

namespace swkv::ctl {

namespace {

constexpr std::size_t kWidth = 100;
// "  31.0s  changed  " and so on: the time and the kind of line take this many columns.
constexpr std::size_t kLead = 19;

}  // namespace

double Watcher::Elapsed() const {
  return static_cast<double>(ClockMilliseconds() - m_start) / 1000.0;
}

void Watcher::Line(const std::string& what, const std::string& text) {
  FlushRepeats();
  char lead[32];
  std::snprintf(lead, sizeof lead, "%7.1fs  %-8s ", Elapsed(), what.c_str());
  m_out << lead << text << "\n";
}

void Watcher::JsonLine(const std::string& type, const std::string& members) {
  char time[32];
  std::snprintf(time, sizeof time, "%.1f", Elapsed());
  m_out << "{\"time\": " << time << ", \"type\": " << JsonString(type)
        << (members.empty() ? "" : ", " + members) << "}" << std::endl;
}

void Watcher::FlushRepeats() {
  if (m_repeats == 0) return;
  char line[128];
  std::snprintf(line, sizeof line, "%7.1fs  %-8s the same in %zu more pass%s\n", m_repeatedUntil,
                "again", m_repeats, m_repeats == 1 ? "" : "es");
  m_out << line;
  m_repeats = 0;
}

void Watcher::Rewalk() {
  TreeSnapshot tree = TreeSnapshot::Take(m_root.get(), "", kKindRoot);
  m_subscriptions.Follow(tree);
  m_controllers.clear();
  m_arrays.clear();
  for (const NodeRecord& node : tree.nodes()) {
    if (node.kind == kKindController) m_controllers.emplace_back(node.path, node.river);
    if (node.kind == kKindArray) m_arrays.emplace_back(node.path, node.river);
  }
  // Only the controllers and arrays are held between passes, and only until the next walk.
  tree.ReleaseNodes();
}

void Watcher::ShowNotices(const std::vector<Notice>& notices) {
  m_noticeCount += notices.size();
  if (m_json) {
    // One line a kind of notification, its nodes in the order heard, each once.
    std::vector<std::pair<std::string, std::vector<std::string>>> kinds;
    for (const Notice& notice : notices) {
      const std::string word = NoticeWord(notice.code);
      auto kind = std::find_if(kinds.begin(), kinds.end(),
                               [&](const auto& known) { return known.first == word; });
      if (kind == kinds.end()) kind = kinds.insert(kinds.end(), {word, {}});
      const std::string path = ShowPath(notice.path);
      if (std::find(kind->second.begin(), kind->second.end(), path) == kind->second.end())
        kind->second.push_back(path);
    }
    for (const auto& [word, paths] : kinds) {
      std::string list;
      for (const std::string& path : paths) {
        if (!list.empty()) list += ", ";
        list += JsonString(path);
      }
      JsonLine(word, "\"paths\": [" + list + "]");
    }
    return;
  }
  const std::vector<std::string> lines = NoticeLines(notices, kLead, kWidth);
  std::string key;
  for (const std::string& line : lines) key += line + "\n";
  if (!key.empty() && key == m_lastNotices) {
    ++m_repeats;
    m_repeatedUntil = Elapsed();
    return;
  }
  FlushRepeats();
  m_lastNotices = key;
  for (const std::string& line : lines) {
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos && line[0] != ' ')
      Line(line.substr(0, colon), line.substr(colon + 2));
    else
      m_out << std::string(kLead, ' ') << line.substr(line.find_first_not_of(' ')) << "\n";
  }
}

void Watcher::ShowEvents() {
  // Each controller node holds its own controller's events: each is shown under its name.
  for (const auto& [path, node] : m_controllers) {
    ComPtr<IEventLog> log = EventLogOf(node.get());
    if (!log) continue;
    std::vector<EventRecord> records;
    HRESULT status = ReadNewEvents(log.get(), records);
    if (FAILED(status) && m_json)
      JsonLine("error", "\"text\": " + JsonString("reading the event log of " + path + " failed"));
    else if (FAILED(status))
      Line("error", "reading the event log of " + path + " failed");
    for (const EventRecord& record : records) {
      ++m_eventCount;
      if (m_json) {
        JsonLine("event", "\"controller\": " + JsonString(path) +
                              ", \"event\": " + EventJson(record));
        continue;
      }
      if (!record.parsed) {
        Line("event", path + "  " + DisplayText(record.raw));
        continue;
      }
      std::string severity = record.SeverityWord();
      severity.resize(std::max<std::size_t>(severity.size(), 7), ' ');
      Line("event", path + "  " + severity + " " + DisplayText(record.name) + ": " +
                        DisplayText(record.text) + "  (" + record.TimeText() + ")");
    }
  }
}

void Watcher::ShowArrays(bool first) {
  for (const auto& [path, node] : m_arrays) {
    std::string status, percent, throttle;
    GetValue(node.get(), "Status", status);
    GetValue(node.get(), "percent", percent);
    GetValue(node.get(), "ThrottleStatus", throttle);
    ArrayState now;
    now.state = DescribeArrayState(status, throttle, percent);
    now.word = now.state.substr(0, now.state.find(' '));
    const bool active = status == "256" || status == "512" || status == "768";
    now.tenth = active ? std::atoi(percent.c_str()) / 10 : -1;
    now.paused = active && throttle == "4";
    auto known = m_arrayStates.find(path);
    const bool show = known == m_arrayStates.end()
                          ? (!first || now.word != "normal")
                          : known->second.word != now.word || known->second.tenth != now.tenth ||
                                known->second.paused != now.paused;
    if (show && m_json)
      JsonLine("array", "\"path\": " + JsonString(ShowPath(path)) + ", \"state\": " +
                            JsonString(now.word) + ", \"status\": " + JsonString(status) +
                            ", \"percent\": " + (active ? JsonString(percent) : "null") +
                            ", \"paused\": " + (now.paused ? "true" : "false") +
                            ", \"text\": " + JsonString(now.state));
    else if (show)
      Line("array", path + "  " + m_style.Paint(now.state, now.state));
    m_arrayStates[path] = now;
  }
  // Reading "Status" has the component notify when it changed; those notifications are ours.
  m_subscriptions.Take();
}

void Watcher::Run(MessageLoop& loop, double seconds, const std::string& speed) {
  Rewalk();
  m_start = ClockMilliseconds();
  const std::uint64_t deadline =
      seconds < 0 ? UINT64_MAX : m_start + static_cast<std::uint64_t>(seconds * 1000.0 + 0.5);
  if (m_json) {
    char limit[32];
    std::snprintf(limit, sizeof limit, "%.1f", seconds);
    JsonLine("start", "\"nodes\": " + std::to_string(m_subscriptions.size()) +
                          ", \"controllers\": " + std::to_string(m_controllers.size()) +
                          ", \"seconds\": " + (seconds < 0 ? "null" : limit) +
                          ", \"speed\": " + JsonString(speed));
  } else {
    m_out << "watching " << m_subscriptions.size() << " nodes of " << m_controllers.size()
          << " controller" << (m_controllers.size() == 1 ? "" : "s");
    if (seconds >= 0) m_out << " for " << seconds << " s";
    if (!speed.empty()) m_out << "; " << speed;
    m_out << (seconds < 0 ? " (Ctrl-C stops)" : "") << "\n";
    for (const std::string& refusal : m_subscriptions.refusals())
      m_out << "  (no notifications from " << refusal << ")\n";
  }
  ShowArrays(true);
  m_out.flush();
  while (!Interrupted()) {
    if (loop.DispatchWaiting() > 0) {
      ++m_passes;
      std::vector<Notice> notices = m_subscriptions.Take();
      ShowNotices(notices);
      if (!notices.empty()) Rewalk();
      ShowEvents();
      ShowArrays(false);
      m_out.flush();
    }
    if (ClockMilliseconds() >= deadline) break;
    loop.AdvanceTowards(deadline);
  }
  FlushRepeats();
  const double watched = Elapsed();
  if (m_json) {
    JsonLine("end", "\"passes\": " + std::to_string(m_passes) + ", \"notifications\": " +
                        std::to_string(m_noticeCount) + ", \"events\": " +
                        std::to_string(m_eventCount) + ", \"stopped\": " +
                        (Interrupted() ? "true" : "false"));
    m_subscriptions.Clear();
    m_controllers.clear();
    m_arrays.clear();
    return;
  }
  char summary[160];
  std::snprintf(summary, sizeof summary,
                "watched %.1f s: %zu polling passes, %zu notifications, %zu events%s\n", watched,
                m_passes, m_noticeCount, m_eventCount, Interrupted() ? " (stopped)" : "");
  m_out << summary;
  m_subscriptions.Clear();
  m_controllers.clear();
  m_arrays.clear();
}

int Session::Watch(const std::vector<std::string>& words) {
  Arguments args(words);
  const bool json = args.Flag("--json");
  std::string secondsText;
  double seconds = -1;
  if (args.Value("--seconds", secondsText)) {
    char* end = nullptr;
    seconds = std::strtod(secondsText.c_str(), &end);
    if (secondsText.empty() || !end || *end != '\0' || !(seconds >= 0) || seconds > 1e7)
      throw Failure(kExitUsage, "watch: --seconds takes a number of seconds, not " + secondsText);
  }
  args.Positional(0, 0, "watch [--seconds N] [--json]");
  Open();
  InterruptScope interrupts;
  ClearInterrupt();
  Watcher watcher(m_root.get(), m_out, json, m_style);
  watcher.Run(m_loop, seconds, m_options.speed.Describe());
  ClearInterrupt();
  return kExitOk;
}

}  // namespace swkv::ctl
