// Marks the time the component spends inside a call from outside (an IRiver or IEventLog
// operation) or inside a polling pass. A modal message box shown by an action runs a message
// loop, so the polling timer could fire in the middle of that call; the pass checks this mark
// and stays out while the tree is in use.
#pragma once

namespace swkv {

class AgentCall {
 public:
  AgentCall() { ++Depth(); }
  ~AgentCall() { --Depth(); }
  AgentCall(const AgentCall&) = delete;
  AgentCall& operator=(const AgentCall&) = delete;

  // True while a call or a pass runs. The tree lives in one apartment: its calls and the pass
  // all run on the thread that created it, so one count serves.
  static bool Active() { return Depth() > 0; }

 private:
  static int& Depth() {
    static int depth = 0;
    return depth;
  }
};

}  // namespace swkv
