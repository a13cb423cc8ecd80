#include "tools/swkvctl/change_report.h"

#include "tools/swkvctl/entry_json.h"
#include "tools/swkvctl/json_text.h"
#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/value_notes.h"

namespace swkv::ctl {

namespace {

std::string ChangeJson(const Change& change) {
  std::string json = "{\"change\": " + JsonString(change.sign == '+'   ? "new"
                                                  : change.sign == '-' ? "gone"
                                                                       : "entry") +
                     ", \"path\": " + JsonString(ShowPath(change.path)) +
                     ", \"kindName\": " + JsonString(KindName(change.kind));
  if (change.sign == '+') {
    json += ", \"below\": [";
    for (std::size_t i = 0; i < change.below.size(); ++i) {
      if (i != 0) json += ", ";
      json += JsonString(change.below[i]);
    }
    json += "]";
  }
  if (change.sign == '~') {
    json += ", \"entry\": " + JsonString(change.entry);
    json += ", \"before\": " + (change.was ? EntryJson(change.kind, *change.was) : "null");
    json += ", \"after\": " + (change.now ? EntryJson(change.kind, *change.now) : "null");
  }
  return json + "}";
}

}  // namespace

void ReadLiveStatus(IRiver* array) {
  std::string ignored;
  GetValue(array, "Status", ignored);
}

ChangeReport::ChangeReport(IRiver* root) : m_root(root) {
  {
    TreeSnapshot first = TreeSnapshot::Take(root, "", kKindRoot);
    for (const NodeRecord& node : first.nodes())
      if (node.kind == kKindArray) ReadLiveStatus(node.river.get());
  }
  m_before = TreeSnapshot::Take(root, "", kKindRoot);
  m_subscriptions.Follow(m_before);
}

ChangeReport::~ChangeReport() { m_subscriptions.Clear(); }

bool ChangeReport::Finish(const std::string& target) {
  if (const NodeRecord* node = m_before.Find(target); node && node->kind == kKindArray)
    ReadLiveStatus(node->river.get());
  m_notices = m_subscriptions.Take();
  m_after = TreeSnapshot::Take(m_root.get(), "", kKindRoot);
  m_changes = DescribeChanges(m_before, m_after);
  // Let go of every node now: a removed array node must not live on in our hands.
  m_subscriptions.Clear();
  m_before.ReleaseNodes();
  m_after.ReleaseNodes();
  bool targetNotified = false;
  for (const Notice& notice : m_notices) targetNotified = targetNotified || notice.path == target;
  return targetNotified || !m_changes.empty();
}

void ChangeReport::Print(std::ostream& out) const {
  const std::vector<std::string> lines = NoticeLines(m_notices, 2, 100);
  if (lines.empty()) {
    out << "notifications: none\n";
  } else {
    out << "notifications:\n";
    for (const std::string& line : lines) out << "  " << line << "\n";
  }
  if (m_changes.empty()) {
    out << "changes: none\n";
  } else {
    out << "changes:\n";
    for (const Change& change : m_changes) out << "  " << ChangeLine(change) << "\n";
  }
}

void ChangeReport::PrintJsonMembers(std::ostream& out) const {
  out << "\"notifications\": [";
  for (std::size_t i = 0; i < m_notices.size(); ++i)
    out << (i == 0 ? "\n    " : ",\n    ") << "{\"notification\": "
        << JsonString(NoticeWord(m_notices[i].code)) << ", \"path\": "
        << JsonString(ShowPath(m_notices[i].path)) << "}";
  out << (m_notices.empty() ? "" : "\n  ") << "],\n  \"changes\": [";
  for (std::size_t i = 0; i < m_changes.size(); ++i)
    out << (i == 0 ? "\n    " : ",\n    ") << ChangeJson(m_changes[i]);
  out << (m_changes.empty() ? "" : "\n  ") << "]";
}

}  // namespace swkv::ctl
