// What the agent does with the component over a working session, as one repeatable sequence:
// build the tree, walk and read all of it, change every controller setting, create, rebuild,
// synchronise, rename and delete arrays, let the polling pass run with events arriving, and read
// the event logs. Nothing in it expects a particular answer: with the library failing or
// misbehaving somewhere, a step that finds no node to work on is skipped and the session goes on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tests/support/agent.h"
#include "tree/root_node.h"

namespace swkv::test {

// Back to the state of a freshly loaded component and a fresh simulated library (default
// scenario, clock stopped at its start, no faults, call counts zero). The registry and the
// message handler are the caller's.
void ResetComponentAndLibrary();

// One polling pass, as the timer would run it.
void RunPollingPass();

// Reads the controller's new events and extra more (capped at the log's size), as the agent
// does after a pass; the records read. The longest record's length goes to longest.
int ReadNewEvents(IEventLog* log, ULONG extra = 0, std::size_t* longest = nullptr);

class AgentSession {
 public:
  // What the session saw; the fault sweep only checks that nothing is out of bounds.
  struct Tally {
    int nodes = 0;                  // nodes visited by the walks
    std::size_t longest = 0;        // the longest entry text dir returned
    int events = 0;                 // event records read through IEventLog
    std::size_t longestRecord = 0;  // the longest of them
  };

  // Builds the tree (the root's construction); the session holds the root.
  void Build();
  // dir on every node, get of every entry, cd into every child link, depth first.
  void WalkAll();
  // Releases the root and everything the session still holds.
  void Release();

  // The whole sequence: Build, WalkAll, every settings action of the first controller, the
  // work on arrays (on the second controller a spanning array created on the free disk, a member
  // of the parity array failed and rebuilt in place, paused and resumed; on the first the
  // distributed parity array synchronised and stopped, the mirror renamed; then the new array
  // deleted), passes polling passes (one per second of the library's clock, an event queued on
  // one of the controllers every fifth second), every new event of both controllers read one
  // past the count and the first controller's log cleared, WalkAll again, Release.
  void RunAll(int passes = 30);

  const Tally& tally() const { return m_tally; }
  IRiver* root() const { return m_root ? static_cast<IRiver*>(m_root.get()) : nullptr; }

  // The node at a path of link names below the root ("HBA2/ch4/slave"); null when absent.
  ComPtr<IRiver> At(std::string_view path) const { return CdPath(root(), path); }

 private:
  void Walk(IRiver* node, int depth);
  // invoke of the action on the node at path; nothing when it is absent.
  void Act(std::string_view path, std::string_view action, const std::string& argument);

  ComPtr<RootNode> m_root;
  Tally m_tally;
};

}  // namespace swkv::test
