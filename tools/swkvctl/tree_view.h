// How swkvctl shows nodes: the tree drawn for a person (entries in aligned columns, actions
// listed on one marked line per node, child nodes drawn below), one node's entries (ls), and
// both as JSON for scripts.
#pragma once

#include <ostream>

#include "tools/swkvctl/terminal_style.h"
#include "tools/swkvctl/tree_snapshot.h"

namespace swkv::ctl {

// With a style, state notes are coloured on a terminal.
void PrintTree(const TreeSnapshot& tree, std::ostream& out,
               const TerminalStyle& style = TerminalStyle());
// One line per node: its size, its state in words and what it is, in aligned columns; with a
// style, states coloured and lines cut to a terminal's width.
void PrintTreeBrief(const TreeSnapshot& tree, std::ostream& out,
                    const TerminalStyle& style = TerminalStyle());
void PrintTreeJson(const TreeSnapshot& tree, std::ostream& out);
// Every entry of the node, in list order, handle and child links included.
void PrintEntries(const NodeRecord& node, std::ostream& out);
void PrintEntriesJson(const NodeRecord& node, std::ostream& out);

}  // namespace swkv::ctl
