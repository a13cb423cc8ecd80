// The tree as the agent sees it at one moment: every node below a starting node with its entries,
// read with dir and cd only. Reading entries through dir asks the controller nothing, so taking a
// snapshot leaves the library and the nodes' notifications alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tools/swkvctl/river_calls.h"

namespace swkv::ctl {

struct NodeRecord {
  std::string path;  // canonical ("" for the root)
  std::string name;  // the link name ("" for the root)
  int kind = 0;
  std::string handle;    // the node's "handle" entry: "address;kind"
  ComPtr<IRiver> river;  // keeps the node alive while the snapshot exists
  ComPtr<IUnknown> identity;
  std::vector<Entry> entries;  // all of them, in list order, links included
  std::vector<std::size_t> children;
  std::size_t depth = 0;  // below the snapshot's starting node

  // The address part of the handle: what actions take to name a node.
  std::string HandleNumber() const { return handle.substr(0, handle.find(';')); }
  const Entry* FindEntry(std::string_view name) const;
};

class TreeSnapshot {
 public:
  // Walks the node at path (of the given kind) and everything below it.
  static TreeSnapshot Take(IRiver* node, const std::string& path, int kind);

  // Preorder: a node comes before its children, children in their parent's list order.
  const std::vector<NodeRecord>& nodes() const { return m_nodes; }
  const NodeRecord* Find(std::string_view path) const;
  const NodeRecord* FindIdentity(IUnknown* identity) const;

  // Lets go of every node: the snapshot then only describes them.
  void ReleaseNodes();

 private:
  void Visit(IRiver* node, const std::string& path, const std::string& name, int kind,
             std::size_t depth);

  std::vector<NodeRecord> m_nodes;
};

// One difference between two snapshots: a node that came ('+', with the paths below it, relative
// to it), a node that went ('-') or an entry whose value or access changed ('~').
struct Change {
  char sign = '~';
  std::string path;
  int kind = 0;
  std::vector<std::string> below;  // '+': what came with the node
  std::string entry;               // '~': the entry's name
  const Entry* was = nullptr;      // '~': null when the entry is new (points into a snapshot)
  const Entry* now = nullptr;      // '~': null when the entry went
};

// What changed between two snapshots of the same part of the tree (it points into both).
std::vector<Change> DescribeChanges(const TreeSnapshot& before, const TreeSnapshot& after);
// The change for a person: "+ PATH  kind (new[; below it: ...])", "- PATH  kind (gone)",
// "~ PATH  NAME: OLD -> NEW".
std::string ChangeLine(const Change& change);

}  // namespace swkv::ctl
