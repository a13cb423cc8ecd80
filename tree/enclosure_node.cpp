#include "tree/enclosure_node.h"

#include <algorithm>
#include <vector>

#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"
#include "mxaraid/interfaces.h"
#include "tree/enclosure_bay_node.h"

namespace swkv {

std::int32_t FirstBayChannel(std::int32_t controller) { return controller == 1 ? 4 : 0; }

bool IsSensorBay(std::int32_t type) { return type >= 2 && type <= 4; }

std::string BayName(std::int32_t type, std::int32_t channel) {
  switch (type) {
    case 2: return "quickbay" + std::to_string(channel + 1);
    case 3: return "hyperbay" + std::to_string(channel + 1);
    case 4: return "omnibay" + std::to_string(channel + 1);
    default: return {};
  }
}

EnclosureNode* EnclosureNode::New() { return new EnclosureNode; }

bool EnclosureNode::Select() const { return SelectController(extra_number()); }

int EnclosureNode::RegisterActions() {
  AddAction("SilentBuzzer", 80);
  AddAction("TurnOnBuzzer", 80);
  return 1;
}

int EnclosureNode::UpdateProperties() {
  SetIntProperty("HardwareType", kReadOnly, 1);
  return 1;
}

int EnclosureNode::OnInvoke(std::string_view, std::string_view) {
  // The buzzer actions are declared for the agent and change nothing.
  return 0;
}

int EnclosureNode::Refresh() {
  if (!Select()) return 0;
  std::vector<CRiver*> keep;
  const std::int32_t first = FirstBayChannel(extra_number());
  std::int32_t count = 1;
  for (std::int32_t channel = first; channel <= first + 3; ++channel) {
    std::int32_t type = 0;
    RecordStatus(raEnclosureType(static_cast<std::uint32_t>(2 * channel), &type));
    if (type == 0 || type == 5) continue;
    if (CRiver* bay = BuildChildren(channel, 0, 9)) {
      keep.push_back(bay);
      ++count;
    }
  }
  UpdateProperties();
  SetIntProperty("NumEnclosures", kChanging, count);
  DropPosition position = GetFirstChildPosition();
  CDrop* link = nullptr;
  while (CRiver* child = GetNextChild(position, &link)) {
    if (std::find(keep.begin(), keep.end(), child) == keep.end()) RemoveChild(link);
  }
  return 1;
}

CRiver* EnclosureNode::BuildChildren(std::int32_t channel, std::int32_t position, std::int32_t) {
  if (!Select()) return nullptr;
  std::int32_t type = 0;
  RecordStatus(raEnclosureType(static_cast<std::uint32_t>(2 * channel + position), &type));
  const std::string name = BayName(type, channel);
  if (name.empty()) return nullptr;
  if (CRiver* existing = GetChild(name)) {
    existing->Refresh();
    existing->FireNotification(kNotifyChanged);
    return existing;
  }
  return AdoptChild(EnclosureBayNode::New(channel, position),
                    [&](EnclosureBayNode& bay) { return bay.Init(this, name, position, 0, 0); });
}

}  // namespace swkv
