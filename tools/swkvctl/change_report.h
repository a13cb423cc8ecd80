// What an operation did to the tree: taken around a set, invoke or refresh. Before it, the whole
// tree is read and every node subscribed to; after it, the notifications heard and the
// differences in the tree are printed.
#pragma once

#include <ostream>
#include <string>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tools/swkvctl/subscriptions.h"
#include "tools/swkvctl/tree_snapshot.h"

namespace swkv::ctl {

class ChangeReport {
 public:
  // Reads the live status of every array first, so that only the operation's own effect shows.
  explicit ChangeReport(IRiver* root);
  ~ChangeReport();
  ChangeReport(const ChangeReport&) = delete;
  ChangeReport& operator=(const ChangeReport&) = delete;

  // Prints the notifications and the changes. For an array at target, its live status is read
  // first (an activity started or paused shows there). True when the tree changed or the target
  // node sent a notification: the operation had an effect.
  bool Print(std::ostream& out, const std::string& target);

 private:
  ComPtr<IRiver> m_root;
  TreeSnapshot m_before;
  Subscriptions m_subscriptions;
};

// Reads an array's "Status" with get, which has the component ask the controller.
void ReadLiveStatus(IRiver* array);

}  // namespace swkv::ctl
