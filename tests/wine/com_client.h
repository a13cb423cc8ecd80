// A client of the registered component, as the agent is one: it creates the main class through
// the COM runtime and works on the tree through the virtual tables or through IDispatch.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"

namespace swkv::client {

// One node of a walk: its path of link names from the root, and its dir entries
// ("name@access@value") in order.
struct VisitedNode {
  std::string path;
  std::vector<std::string> entries;
};

// The operations a walk needs, through one way of calling the component.
struct Caller {
  std::function<std::vector<std::string>(IRiver*)> dir;
  std::function<std::string(IRiver*, const std::string&)> get;
  std::function<ComPtr<IRiver>(IRiver*, const std::string&)> cd;
};

// Through the virtual table.
Caller DirectCaller();
// Through IDispatch: names to dispatch ids, then Invoke with the types a C++ client passes.
Caller DispatchCaller();

// Every node below root, depth first, every entry read with get on the way. A link that cd
// refuses is recorded as the path with "!" appended.
std::vector<VisitedNode> Walk(IRiver* root, const Caller& caller);

// Handles the thread's messages (timers included) until done() holds or timeoutMs passes;
// whether done() held.
bool PumpMessagesUntil(const std::function<bool()>& done, unsigned timeoutMs);

// An entry's name and its access letters ("pr-", "o--", ...).
std::string EntryName(const std::string& entry);
std::string EntryAccess(const std::string& entry);

}  // namespace swkv::client
