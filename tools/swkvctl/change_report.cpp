#include "tools/swkvctl/change_report.h"

#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/river_calls.h"

namespace swkv::ctl {

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

bool ChangeReport::Print(std::ostream& out, const std::string& target) {
  if (const NodeRecord* node = m_before.Find(target); node && node->kind == kKindArray)
    ReadLiveStatus(node->river.get());
  const std::vector<Notice> notices = m_subscriptions.Take();
  TreeSnapshot after = TreeSnapshot::Take(m_root.get(), "", kKindRoot);
  const std::vector<std::string> changes = DescribeChanges(m_before, after);
  // Let go of every node now: a removed array node must not live on in our hands.
  m_subscriptions.Clear();
  m_before.ReleaseNodes();
  after.ReleaseNodes();

  bool targetNotified = false;
  for (const Notice& notice : notices) targetNotified = targetNotified || notice.path == target;
  const std::vector<std::string> lines = NoticeLines(notices, 2, 100);
  if (lines.empty()) {
    out << "notifications: none\n";
  } else {
    out << "notifications:\n";
    for (const std::string& line : lines) out << "  " << line << "\n";
  }
  if (changes.empty()) {
    out << "changes: none\n";
  } else {
    out << "changes:\n";
    for (const std::string& line : changes) out << "  " << line << "\n";
  }
  return targetNotified || !changes.empty();
}

}  // namespace swkv::ctl
