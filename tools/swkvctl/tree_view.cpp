#include "tools/swkvctl/tree_view.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/swkvctl/json_text.h"
#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/value_notes.h"

namespace swkv::ctl {

namespace {

// The action line is wrapped to keep the tree within this many columns.
constexpr std::size_t kWidth = 100;

std::string Pad(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// The name a node is shown by: its link name, or its path for the node a view starts at.
std::string Title(const NodeRecord& node) {
  return (node.depth == 0 ? ShowPath(node.path) : node.name) + "  [" + KindName(node.kind) + "]";
}

bool Shown(const Entry& entry) { return !entry.IsLink() && entry.name != "handle"; }

struct Layout {
  std::vector<std::string> header;  // per node: the prefix of its title line
  std::vector<std::string> body;    // per node: the prefix of its entry lines
};

Layout LayOut(const TreeSnapshot& tree) {
  const auto& nodes = tree.nodes();
  Layout layout;
  layout.header.resize(nodes.size());
  layout.body.resize(nodes.size());
  // continuation[i]: what the lines below node i carry for the levels down to node i.
  std::vector<std::string> continuation(nodes.size());
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    for (std::size_t k = 0; k < nodes[i].children.size(); ++k) {
      const std::size_t child = nodes[i].children[k];
      const bool last = k + 1 == nodes[i].children.size();
      layout.header[child] = continuation[i] + (last ? "`-- " : "+-- ");
      continuation[child] = continuation[i] + (last ? "    " : "|   ");
    }
    layout.body[i] = continuation[i] + (nodes[i].children.empty() ? "     " : "|    ");
  }
  return layout;
}

void PrintWrapped(std::ostream& out, const std::string& prefix, const std::vector<std::string>& words) {
  std::string line = prefix;
  bool first = true;
  for (const std::string& word : words) {
    if (!first && line.size() + 1 + word.size() > kWidth) {
      out << line << "\n";
      // Continuation lines keep the tree's vertical lines.
      line = std::string(prefix.size(), ' ');
      for (std::size_t k = 0; k < prefix.size(); ++k)
        if (prefix[k] == '|') line[k] = '|';
      first = true;
    }
    line += (first ? "" : " ") + word;
    first = false;
  }
  out << line << "\n";
}

void PrintEntryJson(const Entry& entry, std::ostream& out) {
  out << "{\"name\": " << JsonString(entry.name) << ", \"access\": " << JsonString(entry.access)
      << ", \"value\": " << JsonString(entry.value) << "}";
}

void PrintNodeJson(const TreeSnapshot& tree, std::size_t index, const std::string& indent,
                   std::ostream& out) {
  const NodeRecord& node = tree.nodes()[index];
  const std::string in = indent + "  ";
  out << "{\n"
      << in << "\"path\": " << JsonString(ShowPath(node.path)) << ",\n"
      << in << "\"name\": " << JsonString(node.name) << ",\n"
      << in << "\"kind\": " << node.kind << ",\n"
      << in << "\"kindName\": " << JsonString(KindName(node.kind)) << ",\n"
      << in << "\"handle\": " << JsonString(node.handle) << ",\n"
      << in << "\"entries\": [";
  bool first = true;
  for (const Entry& entry : node.entries) {
    if (entry.IsLink()) continue;
    out << (first ? "\n" : ",\n") << in << "  ";
    PrintEntryJson(entry, out);
    first = false;
  }
  out << (first ? "" : "\n" + in) << "],\n" << in << "\"children\": [";
  first = true;
  for (std::size_t child : node.children) {
    out << (first ? "\n" : ",\n") << in << "  ";
    PrintNodeJson(tree, child, in + "  ", out);
    first = false;
  }
  out << (first ? "" : "\n" + in) << "]\n" << indent << "}";
}

}  // namespace

void PrintTree(const TreeSnapshot& tree, std::ostream& out) {
  const auto& nodes = tree.nodes();
  const Layout layout = LayOut(tree);
  // One column for every value in the tree, so that sizes and statuses line up.
  std::size_t nameColumn = 0;
  for (std::size_t i = 0; i < nodes.size(); ++i)
    for (const Entry& entry : nodes[i].entries)
      if (Shown(entry) && !entry.IsAction())
        nameColumn = std::max(nameColumn, layout.body[i].size() + entry.name.size());
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const NodeRecord& node = nodes[i];
    out << layout.header[i] << Title(node) << "\n";
    std::vector<std::string> actions;
    for (const Entry& entry : node.entries) {
      if (!Shown(entry)) continue;
      if (entry.IsAction()) {
        actions.push_back(entry.name);
        continue;
      }
      std::string line = Pad(layout.body[i] + entry.name, nameColumn) + "  " + entry.access + "  " +
                         entry.value;
      const std::string note = ValueNote(node.kind, entry);
      if (!note.empty()) line += "  (" + note + ")";
      out << line << "\n";
    }
    if (!actions.empty())
      PrintWrapped(out, Pad(layout.body[i] + "> actions", nameColumn) + "  m--  ", actions);
  }
}

void PrintTreeJson(const TreeSnapshot& tree, std::ostream& out) {
  if (tree.nodes().empty()) {
    out << "null\n";
    return;
  }
  PrintNodeJson(tree, 0, "", out);
  out << "\n";
}

void PrintEntries(const NodeRecord& node, std::ostream& out) {
  out << ShowPath(node.path) << "  [" << KindName(node.kind) << ", handle " << node.handle << "]\n";
  std::size_t nameWidth = 0, valueWidth = 0;
  for (const Entry& entry : node.entries) {
    nameWidth = std::max(nameWidth, entry.name.size());
    valueWidth = std::max(valueWidth, entry.value.size());
  }
  valueWidth = std::min<std::size_t>(valueWidth, 24);
  for (const Entry& entry : node.entries) {
    std::string note = entry.IsLink()     ? "child " + KindName(std::atoi(entry.value.c_str()))
                       : entry.IsAction() ? "action"
                                          : ValueNote(node.kind, entry);
    std::string line = "  " + Pad(entry.name, nameWidth) + "  " + entry.access + "  " +
                       (note.empty() ? entry.value : Pad(entry.value, valueWidth) + "  " + note);
    out << line << "\n";
  }
}

void PrintEntriesJson(const NodeRecord& node, std::ostream& out) {
  out << "{\n  \"path\": " << JsonString(ShowPath(node.path)) << ",\n  \"kind\": " << node.kind
      << ",\n  \"kindName\": " << JsonString(KindName(node.kind)) << ",\n  \"handle\": "
      << JsonString(node.handle) << ",\n  \"entries\": [";
  bool first = true;
  for (const Entry& entry : node.entries) {
    out << (first ? "\n    " : ",\n    ");
    PrintEntryJson(entry, out);
    first = false;
  }
  out << (first ? "" : "\n  ") << "]\n}\n";
}

}  // namespace swkv::ctl
