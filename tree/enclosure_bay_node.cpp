#include "tree/enclosure_bay_node.h"

#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"
#include "tree/enclosure_node.h"

namespace swkv {

EnclosureBayNode* EnclosureBayNode::New(std::int32_t channel, std::int32_t position) {
  return new EnclosureBayNode(channel, position);
}

EnclosureBayNode::EnclosureBayNode(std::int32_t channel, std::int32_t position)
    : m_channel(channel), m_position(position) {
  set_kind(kKind);
}

int EnclosureBayNode::UpdateProperties() {
  // Bays are addressed by their device number across both controllers, with controller 0
  // selected (the node's extra2, which its creator leaves at 0).
  if (!SelectController(extra2())) return 0;
  std::int32_t readings[4] = {kNoReading, kNoReading, kNoReading, kNoReading};
  std::int32_t status[4] = {kNoReading, kNoReading, kNoReading, kNoReading};
  std::int32_t type = -1, spare = 0;
  RecordStatus(raGetEnclosureStatus(static_cast<std::uint32_t>(2 * m_channel + m_position),
                                    &type, &spare, status));
  if (IsSensorBay(type)) {
    for (int i = 0; i < 4; ++i)
      if (status[i] != kNoReading) readings[i] = status[i];
  }
  SetIntProperty("Channel", kReadOnly, m_channel);
  SetIntProperty("ID", kReadOnly, m_position);
  SetIntProperty("Status", kChanging, 0);
  SetIntProperty("Temperature", kChanging, readings[1]);
  SetIntProperty("FanRPM", kChanging, readings[0]);
  SetIntProperty("Power5VStatus", kChanging, readings[2]);
  SetIntProperty("Power12VStatus", kChanging, readings[3]);
  SetIntProperty("EnclosureType", kReadOnly, type);
  return 1;
}

}  // namespace swkv
