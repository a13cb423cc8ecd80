// swkvctl's IRAIDEvent sinks: one per node it watches, advised on the node's connection point.
// A notification is only queued when it arrives (inside a component call or a timer pass); the
// caller prints the queue once the component has returned.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tools/swkvctl/tree_snapshot.h"

namespace swkv::ctl {

struct Notice {
  std::string path;
  ULONG code = 0;
};

// "changed" (0x2002), "deleted" (0x2001), or "code 0x...".
std::string NoticeWord(ULONG code);

class Subscriptions {
 public:
  Subscriptions();
  ~Subscriptions();
  Subscriptions(const Subscriptions&) = delete;
  Subscriptions& operator=(const Subscriptions&) = delete;

  // Subscribes to every node of the tree not yet subscribed, and lets go of the nodes that are no
  // longer in it (holding them would keep them alive, and an array node that lives on is still
  // refreshed by the component's timer).
  void Follow(const TreeSnapshot& tree);
  // Unsubscribes from every node.
  void Clear();
  // The notices received since the last call.
  std::vector<Notice> Take();
  std::size_t size() const { return m_list.size(); }
  // Subscriptions that the component refused, with the reason.
  const std::vector<std::string>& refusals() const { return m_refusals; }

 private:
  class Sink;
  struct Subscription {
    ComPtr<IUnknown> identity;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ComPtr<Sink> sink;
  };

  std::shared_ptr<std::vector<Notice>> m_queue;
  std::vector<Subscription> m_list;
  std::vector<std::string> m_refusals;
};

}  // namespace swkv::ctl

namespace swkv::ctl {

// The notices as lines for a person: one per code, "changed: HBA1, HBA1/ch1, ..." with each
// node once and in the order heard from, wrapped so that with indent columns before each line
// none is wider than width.
std::vector<std::string> NoticeLines(const std::vector<Notice>& notices, std::size_t indent,
                                     std::size_t width);

}  // namespace swkv::ctl
