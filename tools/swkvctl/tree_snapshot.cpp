#include "tools/swkvctl/tree_snapshot.h"

#include <cstdlib>
#include <map>

#include "tools/swkvctl/display_text.h"
#include "tools/swkvctl/node_path.h"

namespace swkv::ctl {

namespace {

// Bounds that no tree of two controllers comes near; they keep a misbehaving tree (a link that
// leads back up) from walking forever.
constexpr std::size_t kMaxDepth = 12;
constexpr std::size_t kMaxNodes = 5000;

bool IsBelow(const std::string& path, const std::string& ancestor) {
  return path.size() > ancestor.size() && path.compare(0, ancestor.size(), ancestor) == 0 &&
         (ancestor.empty() || path[ancestor.size()] == '/');
}

std::string Show(const std::string& value) { return value.empty() ? "\"\"" : DisplayText(value); }

Change EntryChange(const NodeRecord& node, const std::string& name, const Entry* was,
                   const Entry* now) {
  Change change;
  change.path = node.path;
  change.kind = node.kind;
  change.entry = name;
  change.was = was;
  change.now = now;
  return change;
}

}  // namespace

const Entry* NodeRecord::FindEntry(std::string_view entryName) const {
  for (const Entry& entry : entries)
    if (entry.name == entryName) return &entry;
  return nullptr;
}

TreeSnapshot TreeSnapshot::Take(IRiver* node, const std::string& path, int kind) {
  TreeSnapshot snapshot;
  std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  snapshot.Visit(node, path, name, kind, 0);
  return snapshot;
}

void TreeSnapshot::Visit(IRiver* node, const std::string& path, const std::string& name, int kind,
                         std::size_t depth) {
  const std::size_t index = m_nodes.size();
  {
    NodeRecord record;
    record.path = path;
    record.name = name;
    record.kind = kind;
    record.river = ComPtr<IRiver>(node);
    record.identity = IdentityOf(node);
    record.depth = depth;
    ListEntries(node, record.entries);
    if (const Entry* handle = record.FindEntry("handle")) record.handle = handle->value;
    m_nodes.push_back(std::move(record));
  }
  if (depth >= kMaxDepth) return;
  // Copied: m_nodes grows (and moves) while the children are visited.
  const std::vector<Entry> entries = m_nodes[index].entries;
  for (const Entry& entry : entries) {
    if (!entry.IsLink() || m_nodes.size() >= kMaxNodes) continue;
    ComPtr<IRiver> child = StepInto(node, entry.name);
    if (!child) continue;
    m_nodes[index].children.push_back(m_nodes.size());
    Visit(child.get(), ChildPath(path, entry.name), entry.name, std::atoi(entry.value.c_str()),
          depth + 1);
  }
}

const NodeRecord* TreeSnapshot::Find(std::string_view path) const {
  for (const NodeRecord& node : m_nodes)
    if (node.path == path) return &node;
  return nullptr;
}

const NodeRecord* TreeSnapshot::FindIdentity(IUnknown* identity) const {
  for (const NodeRecord& node : m_nodes)
    if (node.identity.get() == identity) return &node;
  return nullptr;
}

void TreeSnapshot::ReleaseNodes() {
  for (NodeRecord& node : m_nodes) {
    node.river.reset();
    node.identity.reset();
  }
}

std::vector<Change> DescribeChanges(const TreeSnapshot& before, const TreeSnapshot& after) {
  std::vector<Change> changes;
  std::string lastAdded = "\x01", lastRemoved = "\x01";
  for (const NodeRecord& node : after.nodes()) {
    const NodeRecord* old = before.Find(node.path);
    if (!old) {
      // One change for a new subtree, naming what came with it.
      if (lastAdded != "\x01" && IsBelow(node.path, lastAdded)) continue;
      lastAdded = node.path;
      Change change;
      change.sign = '+';
      change.path = node.path;
      change.kind = node.kind;
      for (const NodeRecord& other : after.nodes())
        if (IsBelow(other.path, node.path))
          change.below.push_back(other.path.substr(node.path.size() + 1));
      changes.push_back(change);
      continue;
    }
    std::map<std::string, const Entry*> oldEntries;
    for (const Entry& entry : old->entries) oldEntries.emplace(entry.name, &entry);
    for (const Entry& entry : node.entries) {
      if (entry.IsLink() || entry.name == "handle") continue;
      auto found = oldEntries.find(entry.name);
      const Entry* was = found == oldEntries.end() ? nullptr : found->second;
      if (!was || was->value != entry.value || was->access != entry.access)
        changes.push_back(EntryChange(node, entry.name, was, &entry));
    }
    for (const Entry& entry : old->entries) {
      if (entry.IsLink() || node.FindEntry(entry.name)) continue;
      changes.push_back(EntryChange(node, entry.name, &entry, nullptr));
    }
  }
  for (const NodeRecord& node : before.nodes()) {
    if (after.Find(node.path)) continue;
    if (lastRemoved != "\x01" && IsBelow(node.path, lastRemoved)) continue;
    lastRemoved = node.path;
    Change gone;
    gone.sign = '-';
    gone.path = node.path;
    gone.kind = node.kind;
    changes.push_back(gone);
  }
  return changes;
}

std::string ChangeLine(const Change& change) {
  const std::string path = ShowPath(change.path);
  if (change.sign == '-') return "- " + path + "  " + KindName(change.kind) + " (gone)";
  if (change.sign == '+') {
    std::string line = "+ " + path + "  " + KindName(change.kind) + " (new";
    for (std::size_t i = 0; i < change.below.size(); ++i)
      line += (i == 0 ? "; below it: " : ", ") + change.below[i];
    return line + ")";
  }
  std::string line = "~ " + path + "  " + DisplayText(change.entry) + ": " +
                     (change.was ? Show(change.was->value) : "(none)") + " -> " +
                     (change.now ? Show(change.now->value) : "(none)");
  if (change.was && change.now && change.was->access != change.now->access)
    line += " (access " + change.was->access + " -> " + change.now->access + ")";
  return line;
}

}  // namespace swkv::ctl
