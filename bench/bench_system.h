// The system the benchmarks measure: the simulated controller library with a scenario loaded
// and its clock stopped, and the component's tree built over it, used as the agent uses it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "bench/library_shim.h"
#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tree/root_node.h"

namespace swkv::bench {

// The library at the start of a scenario (its default one when null), clock stopped, no
// controller open; the component's process-wide state as at load.
void StartSystem(const char* scenario = nullptr);

// Library calls per function, as the simulated library counts them.
CallCounts CountCalls();

// A new root, with the whole tree below it.
ComPtr<RootNode> BuildTree();

// The agent's side: a child by link name (null when refused), a value, a path of link names
// below a node ("HBA1/ch1/master").
ComPtr<IRiver> Cd(IRiver* node, std::string_view name);
ComPtr<IRiver> At(IRiver* root, std::string_view path);
void Get(IRiver* node, BSTR name, BSTR buffer);

// dir on every node, get of every entry and cd into every child link, depth first. Returns the
// number of nodes visited.
int WalkTree(IRiver* node);

// One polling pass, as the timer runs it.
void PollOnce();

}  // namespace swkv::bench
