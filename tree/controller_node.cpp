#include "tree/controller_node.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "com/message_box.h"
#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"
#include "river/args.h"
#include "mxaraid/interfaces.h"
#include "settings/adapter_settings_store.h"
#include "tree/array_commands.h"
#include "tree/array_node.h"
#include "tree/channel_node.h"
#include "events/polled_nodes.h"
#include "tree/enclosure_node.h"

namespace swkv {

namespace {

constexpr std::int32_t kSettingAction = 134217788;  // 0x0800003C
constexpr const char* kRegistryError = "Registry Error";
constexpr const char* kMaintenanceRegistryError = "Set maintenance rate - registry error";

// A value the library reports with a low byte of 0xFF is "not reported".
bool Reported(std::int32_t value) { return (value & 0xFF) != 0xFF; }

// Truncates toward zero like a conversion of the double would, without leaving 32 bits.
std::int32_t Truncate(double value) {
  if (!(value > -2147483648.0)) return INT32_MIN;
  if (!(value < 2147483647.0)) return INT32_MAX;
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t ControllerNode::PercentOfThreshold(std::int32_t originalChannels,
                                                std::int32_t threshold) {
  if (originalChannels == 0) return 50;
  return Truncate(100.0 - (static_cast<double>(threshold) / originalChannels) * 100.0);
}

std::int32_t ControllerNode::ThresholdOfPercent(std::int32_t originalChannels,
                                                std::int32_t percent) {
  return Truncate(static_cast<double>(originalChannels) * (100.0 - percent) * 0.01);
}

ControllerNode* ControllerNode::New() { return new ControllerNode; }

namespace {
constexpr InterfaceEntry kControllerInterfaces[] = {
    Entry<ControllerNode, IEventLog>(IID_IEventLog),
    Entry<ControllerNode, IRiver>(IID_IRiver),
    Entry<ControllerNode, IConnectionPointContainer>(IID_IConnectionPointContainer),
};
}  // namespace

std::span<const InterfaceEntry> ControllerNode::Interfaces() { return kControllerInterfaces; }

HRESULT ControllerNode::QueryInterface(REFIID iid, void** ppv) {
  return CRiver::QueryInterface(iid, ppv);
}

ULONG ControllerNode::AddRef() { return CRiver::AddRef(); }

ULONG ControllerNode::Release() { return CRiver::Release(); }

ControllerNode::ControllerNode() : ArrayContainer(CurrentController()) {
  set_kind(kKind);
  ControllerNodeList().push_back(this);
  if (SelectionPointer()) {
    RecordStatus(raOriginalChannelCount(0, &m_originalChannelCount));
    RecordStatus(raChannelThreshold(0, &m_channelThreshold));
    m_pciBusPercent = PercentOfThreshold(m_originalChannelCount, m_channelThreshold);
  }
  // The settings as the controller reports them; these results are not looked at.
  std::int32_t value = 0;
  raWriteCacheEnabled(0, &value);
  m_writeBackCache = value;
  value = 0;
  raHotSparesEnabled(0, &value);
  m_hotSpare = value;
  raSmartCheckEnabled(0, &m_smartCheck);
  value = 0xFF;
  raGetRebuildRate(0, &value);
  m_maintenanceRate = Reported(value) ? value : 4;
  value = 0xFF;
  raReadThreshold(0, &value);
  if (Reported(value)) m_readThreshold = value;
  value = 0xFF;
  raWriteThreshold(0, &value);
  if (Reported(value)) m_writeThreshold = value;
  value = 0xFF;
  raSubmitChannelThreshold(0, &value);
  if (Reported(value)) m_submitChannelThreshold = value;
  raWriteMode(0, &m_writeMode);
}

ControllerNode::~ControllerNode() {
  auto& list = ControllerNodeList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

bool ControllerNode::Select() const { return SelectController(controller_index()); }

int ControllerNode::CreateController(CRiver* parent, std::string_view name) {
  if (!SelectionPointer()) return 1;
  Init(parent, name, controller_index(), 0, 0);
  SyncControllerChildren();
  return 1;
}

int ControllerNode::UpdateProperties() {
  if (!Select()) return 0;
  SetProperty("Swiftbay", kReadOnly, "%s", "yes");
  SetIntProperty("HasEvent", kReadOnly, 3);
  RaControllerInfo info{};
  if (RecordStatus(raGetControllerInfo(CurrentController(), &info)) == 0) {
    SetProperty("IRQ", kReadOnly, "%d", info.irq);
    SetProperty("RBA", kReadOnly, "0x%08X", info.rba);
    SetProperty("BMB", kReadOnly, "0x%4X", info.bmb);
    SetProperty("KVSdramAddress", kReadOnly, "0x%8X", info.sdramBase);
    SetProperty("KVHDMAAddress", kReadOnly, "0x%8X", info.hdmaBase);
    SetProperty("KVSEQAddress", kReadOnly, "0x%8X", info.seqBase);
    SetProperty("KVATAAddress", kReadOnly, "0x%8X", info.ataBase);
    SetProperty("KVMMIOAddress", kReadOnly, "0x%8X", info.mmioBase);
  }
  // One byte more than the library may fill, so an unterminated text still ends.
  std::array<char, RA_VERSION_SIZE + 1> version{};
  std::array<char, RA_VERSION_SIZE + 1> second{};
  if (RecordStatus(raGetDriverVersion(version.data(), second.data())) == 0) {
    version[RA_VERSION_SIZE] = '\0';
    SetProperty("DV", kReadOnly, "%s", version.data());
  }
  SetProperty("HardWare", kReadOnly, "%s", "SwiftbayKv9000");
  SetIntProperty("GetSmart", kReadOnly, m_smartCheck);
  SetIntProperty("GetPCIBus", kReadOnly, m_pciBusPercent);
  SetIntProperty("GetCachePolicy", kReadOnly, m_writeBackCache);
  SetIntProperty("GetDisableHotSpare", kReadOnly, m_hotSpare);
  SetIntProperty("GetMaintenanceRate", kReadOnly, m_maintenanceRate);
  SetIntProperty("ReadThreshold", kReadOnly, m_readThreshold);
  SetIntProperty("WriteThreshold", kReadOnly, m_writeThreshold);
  SetIntProperty("SubmitChannelThreshold", kReadOnly, m_submitChannelThreshold);
  SetIntProperty("WriteMode", kReadOnly, m_writeMode);
  return 1;
}

int ControllerNode::RegisterActions() {
  AddAction("CreateArray", 134217732);  // 0x08000004
  AddAction("DeleteArray", 134217736);  // 0x08000008
  AddAction("ReadEvent", -134217729);   // 0xF7FFFFFF
  AddAction("ClearEvent", 64);
  for (const char* name : {"SetCachePolicy", "SetSmart", "SetPCIBus", "SetDisableHotSpare",
                           "SetMaintenanceRate", "SetReadThreshold", "SetWriteThreshold",
                           "SetSubmitChannelThreshold", "SetWriteMode", "ConvArray"})
    AddAction(name, kSettingAction);
  return 1;
}

int ControllerNode::OnInvoke(std::string_view action, std::string_view argument) {
  if (action == "CreateArray") return CreateArray(this, argument);
  if (action == "DeleteArray") return DeleteArray(this, argument);
  const std::int32_t value = ParseDecimal(argument);
  if (action == "SetCachePolicy")
    return SetRegistryOnly("WRITEBACKCACHE", "GetCachePolicy", &m_writeBackCache, value);
  if (action == "SetSmart") return SetSmart(value);
  if (action == "SetPCIBus") return SetPciBus(value);
  if (action == "SetDisableHotSpare")
    return SetRegistryOnly("DISABLEHOTSPARE", "GetDisableHotSpare", &m_hotSpare, value);
  if (action == "SetMaintenanceRate") return SetMaintenanceRate(value);
  if (action == "SetReadThreshold")
    return SetThroughLibrary(raReadThreshold, "ReadThreshold", &m_readThreshold, value);
  if (action == "SetWriteThreshold")
    return SetThroughLibrary(raWriteThreshold, "WriteThreshold", &m_writeThreshold, value);
  if (action == "SetSubmitChannelThreshold")
    return SetThroughLibrary(raSubmitChannelThreshold, "SubmitChannelThreshold",
                             &m_submitChannelThreshold, value);
  if (action == "SetWriteMode")
    return SetThroughLibrary(raWriteMode, "WriteMode", &m_writeMode, value);
  if (action == "ConvArray") return ConvertArray(this, argument);
  return 0;  // "ReadEvent" and "ClearEvent" are declared and do nothing
}

void ControllerNode::Publish(const char* property, std::int32_t* field, std::int32_t value) {
  *field = value;
  SetIntProperty(property, kReadOnly, value);
  FireNotification(kNotifyChanged);
}

int ControllerNode::SetRegistryOnly(const char* setting, const char* property,
                                    std::int32_t* field, std::int32_t value) {
  // These settings reach the controller only through the driver's registry parameters.
  if (!StoreAdapterSetting(setting, value)) {
    ShowMessage(kRegistryError);
    return 0;
  }
  Publish(property, field, value);
  return 0;
}

int ControllerNode::SetThroughLibrary(std::int32_t (*call)(std::int32_t, std::int32_t*),
                                      const char* property, std::int32_t* field,
                                      std::int32_t value) {
  if (!Select()) return E_FAIL;
  if (RecordStatus(call(1, &value)) != 0) return 0;
  Publish(property, field, value);
  return 0;
}

int ControllerNode::SetSmart(std::int32_t value) {
  if (!Select()) return E_FAIL;
  if (RecordStatus(raSmartCheckEnabled(1, &value)) != 0) return 0;
  std::int32_t readBack = 0;
  if (RecordStatus(raSmartCheckEnabled(0, &readBack)) != 0) return 0;
  if (!StoreAdapterSetting("SMARTENABLE", readBack)) ShowMessage(kRegistryError);
  Publish("GetSmart", &m_smartCheck, readBack);
  return 0;
}

int ControllerNode::SetPciBus(std::int32_t percent) {
  if (!Select()) return E_FAIL;
  m_pciBusPercent = percent;
  m_channelThreshold = ThresholdOfPercent(m_originalChannelCount, percent);
  if (RecordStatus(raChannelThreshold(1, &m_channelThreshold)) != 0) return 0;
  if (!StoreAdapterSetting("COUNTTHRESHOLD", m_channelThreshold)) ShowMessage(kRegistryError);
  Publish("GetPCIBus", &m_pciBusPercent, percent);
  return 0;
}

int ControllerNode::SetMaintenanceRate(std::int32_t rate) {
  if (!Select()) return E_FAIL;
  if (RecordStatus(raSetRebuildRate(0, rate)) != 0) return 0;
  if (!StoreAdapterSetting("MAINTENANCELENGTH", rate)) {
    ShowMessage(kMaintenanceRegistryError);
    return 0;
  }
  Publish("GetMaintenanceRate", &m_maintenanceRate, rate);
  return 0;
}

CRiver* ControllerNode::CreateChannel(std::int32_t slot) {
  char name[32];
  std::snprintf(name, sizeof name, "ch%i", ++m_channelNameCounter);
  return AdoptChild(ChannelNode::New(), [&](ChannelNode& channel) {
    return channel.Create(this, name, slot, controller_index());
  });
}

CRiver* ControllerNode::CreateEnclosure(std::int32_t slot) {
  char name[32];
  std::snprintf(name, sizeof name, "enclosure%d", ++m_enclosureNameCounter);
  return AdoptChild(EnclosureNode::New(), [&](EnclosureNode& enclosure) {
    return enclosure.Create(this, name, slot, controller_index());
  });
}

CRiver* ControllerNode::CreateBattery(std::int32_t slot) {
  // The children built before this slot may have selected another controller (a bay node
  // selects controller 0): ask this controller whether it has the module and the pack.
  if (!Select()) return nullptr;
  std::int32_t present = 0;
  RecordStatus(raCheckBatteryBackModule(&present));
  if (present) RecordStatus(raCheckBatteryPack(&present));
  if (!present) return nullptr;
  BatteryNode* battery = AdoptChild(BatteryNode::New(), [&](BatteryNode& node) {
    return node.Create(this, "battery", slot, controller_index());
  });
  // Later polls compare their readings with what the module showed at creation.
  if (battery) m_battery = battery->readings();
  return battery;
}

int ControllerNode::Refresh() { return SyncControllerChildren(); }

int ControllerNode::SyncControllerChildren() {
  if (!Select()) return 0;
  std::int32_t channels = 0;
  // Without the channel count the children are left as they are.
  if (RecordStatus(raGetMaxChannelsPerAdapter(&channels)) != 0) return 0;
  int result = 1;
  bool arraysSeen = false;
  std::vector<CRiver*> keep;
  const std::int64_t lastSlot = std::int64_t{channels} + 2;
  for (std::int64_t slot64 = 0; slot64 <= lastSlot && result == 1; ++slot64) {
    const auto slot = static_cast<std::int32_t>(slot64);
    CRiver* existing = FindChildById(slot, 27);
    if (!existing) existing = FindChildById(slot, 7);
    if (!existing) existing = FindChildById(slot, 29);
    if (existing) {
      existing->Refresh();
      existing->FireNotification(kNotifyChanged);
      keep.push_back(existing);
      continue;
    }
    CRiver* created = nullptr;
    if (slot <= 3) {
      created = CreateChannel(slot);
    } else if (slot == 4) {
      created = CreateEnclosure(slot);
    } else if (slot == 5) {
      arraysSeen = true;
    } else if (slot == 6) {
      created = CreateBattery(slot);
    } else {
      result = 0;  // the remaining slots are skipped
    }
    if (created) keep.push_back(created);
  }
  if (arraysSeen)
    result = BuildArrayChildren(this, 5);
  else
    BuildArrayChildren(this, -1);
  DropPosition position = GetFirstChildPosition();
  CDrop* link = nullptr;
  while (CRiver* child = GetNextChild(position, &link)) {
    CRiverNode* node = child->AsNode();
    if (node && node->kind() == 27 && std::find(keep.begin(), keep.end(), child) == keep.end())
      RemoveChild(link);
  }
  return result;
}

}  // namespace swkv
