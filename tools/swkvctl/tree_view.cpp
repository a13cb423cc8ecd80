#include "tools/swkvctl/tree_view.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "tools/swkvctl/display_text.h"
#include "tools/swkvctl/entry_json.h"
#include "tools/swkvctl/json_text.h"
#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/value_notes.h"

namespace swkv::ctl {

namespace {

// The action line is wrapped to keep the tree within this many columns.
constexpr std::size_t kWidth = 100;

// The columns a text takes on the terminal: one a character (UTF-8 continuation bytes none).
std::size_t Columns(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string Pad(const std::string& text, std::size_t width) {
  const std::size_t columns = Columns(text);
  return columns >= width ? text : text + std::string(width - columns, ' ');
}

// The name a node is shown by: its link name, or its path for the node a view starts at.
std::string Title(const NodeRecord& node) {
  return (node.depth == 0 ? ShowPath(node.path) : PathStep(node.name)) + "  [" +
         KindName(node.kind) + "]";
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

void PrintWrapped(std::ostream& out, const std::string& prefix,
                  const std::vector<std::string>& words) {
  std::string line = prefix;
  bool first = true;
  for (const std::string& word : words) {
    if (!first && Columns(line) + 1 + Columns(word) > kWidth) {
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
    out << EntryJson(node.kind, entry);
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

std::string ValueOf(const NodeRecord& node, const char* name) {
  const Entry* entry = node.FindEntry(name);
  return entry ? entry->value : "";
}

std::string Joined(std::initializer_list<std::string> parts) {
  std::string text;
  for (const std::string& part : parts)
    if (!part.empty()) text += (text.empty() ? "" : ", ") + part;
  return text;
}

// A bay's supply reading: 1 good, 0 failed, -2 not read.
std::string Supply(const char* name, const std::string& value) {
  if (value.empty() || value == "-2") return "";
  return std::string(name) + (value == "1" ? " good" : value == "0" ? " failed" : " " + value);
}

// The columns of a node's brief line: size, state, description.
struct Brief {
  std::string size, state, about;
};

Brief Summarise(const NodeRecord& node) {
  auto v = [&](const char* name) { return ValueOf(node, name); };
  auto with = [](const std::string& value, const char* unit) {
    return value.empty() ? value : value + unit;
  };
  Brief brief;
  switch (node.kind) {
    case kKindRoot: brief.about = v("Type"); break;
    case kKindController: brief.about = Joined({v("HardWare"), v("DV")}); break;
    case kKindArray:
      brief.size = v("Size");
      brief.state = DescribeArrayState(v("Status"), v("ThrottleStatus"), v("percent"));
      brief.about =
          Joined({v("RAID_Mode"), v("Block Size").empty() ? "" : "blocks of " + v("Block Size")});
      break;
    case kKindDisk: {
      brief.size = v("Size");
      for (const char* name : {"Status", "Rebuild", "Convert"})
        if (const Entry* entry = node.FindEntry(name);
            entry && !ValueNote(node.kind, *entry).empty())
          brief.state = ValueNote(node.kind, *entry);
      brief.about = Joined({v("model"), v("Timing_Mode"), with(v("smart"), " SMART")});
      break;
    }
    case kKindBay:
      brief.about =
          Joined({with(v("Temperature"), " C"), with(v("FanRPM"), " rpm"),
                  Supply("5 V", v("Power5VStatus")), Supply("12 V", v("Power12VStatus"))});
      break;
    case kKindBattery:
      brief.state = v("BatteryChargeStatus");
      brief.about = Joined({with(v("BatteryTemperature"), " C"), with(v("BatteryVoltage"), " mV"),
                            with(v("BatteryChargeCycle"), " cycles")});
      break;
    default: break;
  }
  return brief;
}

}  // namespace

void PrintTreeBrief(const TreeSnapshot& tree, std::ostream& out, const TerminalStyle& style) {
  const auto& nodes = tree.nodes();
  const Layout layout = LayOut(tree);
  std::vector<std::string> titles(nodes.size());
  std::vector<Brief> briefs(nodes.size());
  std::size_t titleWidth = 0, kindWidth = 0, sizeWidth = 0, stateWidth = 0;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    titles[i] = layout.header[i] +
                (nodes[i].depth == 0 ? ShowPath(nodes[i].path) : PathStep(nodes[i].name));
    briefs[i] = Summarise(nodes[i]);
    briefs[i].state = DisplayText(briefs[i].state);
    briefs[i].about = DisplayText(briefs[i].about);
    titleWidth = std::max(titleWidth, Columns(titles[i]));
    kindWidth = std::max(kindWidth, KindName(nodes[i].kind).size());
    sizeWidth = std::max(sizeWidth, briefs[i].size.size());
    stateWidth = std::max(stateWidth, Columns(briefs[i].state));
  }
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    std::string line = Pad(titles[i], titleWidth) + "  " + Pad(KindName(nodes[i].kind), kindWidth);
    // Sizes right-aligned, so that their units line up.
    line += "  " + std::string(sizeWidth - briefs[i].size.size(), ' ') + briefs[i].size;
    line += "  ";
    const std::size_t stateAt = line.size();
    line += Pad(briefs[i].state, stateWidth) + "  " + briefs[i].about;
    line.erase(line.find_last_not_of(' ') + 1);
    line = style.Fit(line);
    // The state is coloured once the line is cut, so that the colour codes take no columns.
    if (stateAt < line.size())
      line = line.substr(0, stateAt) + style.Paint(briefs[i].state, line.substr(stateAt));
    out << line << "\n";
  }
}

void PrintTree(const TreeSnapshot& tree, std::ostream& out, const TerminalStyle& style) {
  const auto& nodes = tree.nodes();
  const Layout layout = LayOut(tree);
  // One column for every value in the tree, so that sizes and statuses line up.
  std::size_t nameColumn = 0;
  for (std::size_t i = 0; i < nodes.size(); ++i)
    for (const Entry& entry : nodes[i].entries)
      if (Shown(entry) && !entry.IsAction())
        nameColumn = std::max(nameColumn, layout.body[i].size() + Columns(DisplayText(entry.name)));
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const NodeRecord& node = nodes[i];
    out << layout.header[i] << Title(node) << "\n";
    std::vector<std::string> actions;
    for (const Entry& entry : node.entries) {
      if (!Shown(entry)) continue;
      if (entry.IsAction()) {
        actions.push_back(DisplayText(entry.name));
        continue;
      }
      std::string line = Pad(layout.body[i] + DisplayText(entry.name), nameColumn) + "  " +
                         entry.access + "  " + DisplayText(entry.value);
      const std::string note = ValueNote(node.kind, entry);
      if (!note.empty()) line += "  (" + style.Paint(note, note) + ")";
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
    nameWidth = std::max(nameWidth, Columns(DisplayText(entry.name)));
    valueWidth = std::max(valueWidth, Columns(DisplayText(entry.value)));
  }
  valueWidth = std::min<std::size_t>(valueWidth, 24);
  for (const Entry& entry : node.entries) {
    std::string note = entry.IsLink()     ? "child " + KindName(std::atoi(entry.value.c_str()))
                       : entry.IsAction() ? "action"
                                          : ValueNote(node.kind, entry);
    const std::string value = DisplayText(entry.value);
    std::string line = "  " + Pad(DisplayText(entry.name), nameWidth) + "  " + entry.access + "  " +
                       (note.empty() ? value : Pad(value, valueWidth) + "  " + note);
    out << line << "\n";
  }
}

void PrintEntriesJson(const NodeRecord& node, std::ostream& out) {
  out << "{\n  \"path\": " << JsonString(ShowPath(node.path)) << ",\n  \"kind\": " << node.kind
      << ",\n  \"kindName\": " << JsonString(KindName(node.kind))
      << ",\n  \"handle\": " << JsonString(node.handle) << ",\n  \"entries\": [";
  bool first = true;
  for (const Entry& entry : node.entries) {
    out << (first ? "\n    " : ",\n    ");
    out << EntryJson(node.kind, entry);
    first = false;
  }
  out << (first ? "" : "\n  ") << "]\n}\n";
}

}  // namespace swkv::ctl
