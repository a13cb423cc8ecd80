// What an operation did to the tree: taken around a set, invoke or refresh. Before it, the whole
// tree is read and every node subscribed to; after it, the notifications heard and the
// differences in the tree are collected, and printed for a person or as JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

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

  // Collects the notifications and the changes once the operation ran. For an array at target,
  // its live status is read first (an activity started or paused shows there). True when the
  // tree changed or the target node sent a notification: the operation had an effect.
  bool Finish(const std::string& target);
  // "notifications: ..." and "changes: ..." lines.
  void Print(std::ostream& out) const;
  // "notifications": [...], "changes": [...] (members of an object that the caller opens).
  void PrintJsonMembers(std::ostream& out) const;

 private:
  ComPtr<IRiver> m_root;
  TreeSnapshot m_before;
  TreeSnapshot m_after;
  Subscriptions m_subscriptions;
  std::vector<Notice> m_notices;
  std::vector<Change> m_changes;  // point into m_before and m_after
};

// Reads an array's "Status" with get, which has the component ask the controller.
void ReadLiveStatus(IRiver* array);

}  // namespace swkv::ctl
