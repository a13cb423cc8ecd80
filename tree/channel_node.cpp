#include "tree/channel_node.h"

#include <algorithm>
#include <vector>

#include "raidlib/selection.h"
#include "mxaraid/interfaces.h"
#include "tree/disk_node.h"
#include "tree/library_lists.h"

namespace swkv {

ChannelNode* ChannelNode::New() { return new ChannelNode; }

int ChannelNode::Refresh() { return BuildChannelChildren(); }

CRiver* ChannelNode::BuildChildren(std::int32_t position, std::int32_t channel,
                                   std::int32_t controller) {
  return FindOrCreateChannelDisk(position, channel, controller);
}

int ChannelNode::BuildChannelChildren() {
  std::vector<CRiver*> keep;
  if (!SelectController(extra_number())) return 0;
  const std::int32_t channel = group_number();
  std::int32_t devices = 0;
  if (channel >= 0 && channel <= 3) {
    LibraryList disks = EnumerateDisks();
    // A passing library error must not make the disks vanish and come back.
    if (!disks.ok()) return 1;
    for (std::uint32_t disk : disks)
      if (static_cast<std::int32_t>(disk) / 2 == channel) ++devices;
  }
  if (devices > 0 && devices < device_limit()) {
    for (std::int32_t position = 0; position < devices; ++position) {
      DeviceName name = ReadDeviceName(static_cast<std::uint32_t>(2 * channel + position));
      if (name.empty() && position == 0) {
        // No master: the device is the slave. A library that refuses to name an absent master
        // is asked for the slave's name instead.
        position = 1;
        if (!name.ok()) name = ReadDeviceName(static_cast<std::uint32_t>(2 * channel + 1));
      }
      if (name.ok()) {
        if (CRiver* disk = BuildChildren(position, channel, extra_number())) keep.push_back(disk);
      }
    }
  }
  DropPosition position = GetFirstChildPosition();
  CDrop* link = nullptr;
  while (CRiver* child = GetNextChild(position, &link)) {
    if (std::find(keep.begin(), keep.end(), child) == keep.end()) RemoveChild(link);
  }
  return 1;
}

CRiver* ChannelNode::FindOrCreateChannelDisk(std::int32_t position, std::int32_t channel,
                                             std::int32_t controller) {
  const char* name = position == 0 ? "master" : "slave";
  if (CRiver* existing = GetChild(name)) {
    existing->Refresh();
    existing->FireNotification(kNotifyChanged);
    return existing;
  }
  return AdoptChild(DiskNode::New(), [&](DiskNode& disk) {
    return disk.Init(this, name, channel, position, controller);
  });
}

}  // namespace swkv
