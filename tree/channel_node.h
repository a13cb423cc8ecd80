// ChannelNode: one IDE channel of a controller. Its content is its disk children, "master" and
// "slave", which follow the library's disk list at creation and on every refresh.
#pragma once

#include "river/river_node.h"

namespace swkv {

class ChannelNode : public CRiverContainer {
 public:
  // A new channel node (count 0). Create(controller, name, channel, controller index).
  static ChannelNode* New();

  int Refresh() override;  // BuildChannelChildren
  CRiver* BuildChildren(std::int32_t position, std::int32_t channel,
                        std::int32_t controller) override;

  // Brings the disk children in line with the devices the library lists on this channel.
  int BuildChannelChildren();
  // The child for a device position: found again (refreshed, notified) or newly created.
  CRiver* FindOrCreateChannelDisk(std::int32_t position, std::int32_t channel,
                                  std::int32_t controller);

 protected:
  ChannelNode() = default;
  ~ChannelNode() override = default;
};

}  // namespace swkv
