#include "tree/array_node.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "events/poll_timer.h"
#include "platform/com_ptr.h"
#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"
#include "river/args.h"
#include "river/format.h"
#include "mxaraid/interfaces.h"
#include "tree/array_commands.h"
#include "tree/array_container.h"
#include "events/polled_nodes.h"
#include "tree/disk_node.h"
#include "tree/library_lists.h"
#include "tree/raid_mode_text.h"

namespace swkv {

namespace {

constexpr std::int32_t kActionRebuild = 134217788;  // 0x0800003C
constexpr std::int32_t kActionStatus = -134217729;  // 0xF7FFFFFF
constexpr std::uint32_t kActivityByte = 0xFF00;
constexpr std::uint32_t kDegraded = 0x80000001u;
constexpr std::uint32_t kFailed = 0x80000002u;

// Status and throttle for the activity codes 1 to 7.
struct ActivityEntry {
  std::uint32_t status;
  std::uint32_t throttle;
};
constexpr ActivityEntry kActivities[8] = {
    {0, 0}, {0x200, 1}, {0x200, 1}, {0x100, 1}, {0x300, 1}, {0x200, 4}, {0x300, 4}, {0x100, 4},
};

std::string_view WithoutEmbeddedZero(std::string_view text) {
  return text.substr(0, std::min(text.find('\0'), text.size()));
}

}  // namespace

ArrayNode* ArrayNode::New() { return new ArrayNode; }

ArrayNode::ArrayNode() {
  set_kind(kKind);
  ArrayNodeList().push_back(this);
  // The first array node of the process starts the polling pass.
  ArmPollTimer();
}

ArrayNode::~ArrayNode() {
  auto& list = ArrayNodeList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

bool ArrayNode::Select() const { return SelectController(m_controller); }

bool ArrayNode::ReadMembers() {
  if (!Select()) return false;
  LibraryList disks = EnumerateArrayDisks(m_logical);
  // When the list cannot be read, the previous members stand.
  if (!disks.ok()) return false;
  m_memberCount = static_cast<std::uint32_t>(disks.size());
  for (std::size_t i = 0; i < disks.size(); ++i) {
    const auto disk = static_cast<std::int32_t>(disks[i]);
    m_members[i] = {static_cast<std::uint32_t>(disk / 2), static_cast<std::uint32_t>(disk % 2),
                    static_cast<std::uint32_t>(m_controller), disks[i]};
  }
  return true;
}

int ArrayNode::InitArray(CRiver* parent, std::string_view name, std::uint32_t logical,
                         std::int32_t controller) {
  // The caller has the controller selected.
  m_logical = logical;
  std::uint32_t physical = logical;
  RecordStatus(raMapLogicalToPhysicalArray(logical, &physical));
  m_controller = controller;
  m_name.assign(name);
  std::int32_t mode = 0, third = 0;
  std::uint32_t block = 0;
  if (RecordStatus(raGetArrayDescription(logical, &mode, &third, &block)) == 0) {
    m_raidMode = mode;
    m_blockSize = block;
  }
  ReadMembers();
  for (std::size_t i = 0; i < m_memberCount; ++i) FindOrCreateMemberDisk(i, m_members[i].disk);
  return Init(parent, name, static_cast<std::int32_t>(physical), 0, controller);
}

CRiver* ArrayNode::FindOrCreateMemberDisk(std::size_t member, std::uint32_t disk) {
  char name[32];
  // The identifier plus one, wrapping as the library's 32-bit number would: no identifier,
  // however absurd, overflows.
  std::snprintf(name, sizeof name, "disk%d", static_cast<std::int32_t>(disk + 1u));
  if (CRiver* existing = GetChild(name)) {
    existing->Refresh();
    existing->FireNotification(kNotifyChanged);
    return existing;
  }
  const Member& m = m_members[member];
  return AdoptChild(DiskNode::New(), [&](DiskNode& node) {
    return node.Init(this, name, static_cast<std::int32_t>(m.channel),
                     static_cast<std::int32_t>(m.position), static_cast<std::int32_t>(m.controller));
  });
}

void ArrayNode::ReconcileMembers() {
  ReadMembers();
  std::vector<CRiver*> keep;
  for (std::size_t i = 0; i < m_memberCount; ++i)
    if (CRiver* disk = FindOrCreateMemberDisk(i, m_members[i].disk)) keep.push_back(disk);
  DropPosition position = GetHeadPosition();
  CDrop* link = nullptr;
  while (CRiver* child = GetNextChild(position, &link)) {
    if (std::find(keep.begin(), keep.end(), child) == keep.end()) RemoveChild(link);
  }
}

int ArrayNode::RegisterActions() {
  AddAction("rename", 16);
  // Striping and spanning keep no redundancy to rebuild or synchronise.
  if (m_raidMode != 0 && m_raidMode != 3) {
    AddAction("RebuildArray", kActionRebuild);
    AddAction("SyncArray", kActionRebuild);
  }
  AddAction("ForceIT", kActionStatus);
  AddAction("GUI_Status", kActionStatus);
  return 1;
}

void ArrayNode::ApplyStatus(Decode variant, std::uint32_t state, std::uint32_t activity,
                            std::int32_t progress, bool* setPercent, bool* setThrottle) {
  *setPercent = false;
  *setThrottle = false;
  switch (state) {
    case 0: m_status = 0; break;
    case 1: m_status = kDegraded; break;
    case 2: m_status = kFailed; break;
    default: break;  // an unknown state leaves the status as it was
  }
  if (activity >= 1 && activity <= 7) {
    m_status = kActivities[activity].status;
    m_throttle = kActivities[activity].throttle;
    m_percent = progress;
    *setPercent = variant != Decode::kRead;
    *setThrottle = variant == Decode::kStatusAction;
    return;
  }
  if (activity == 0) {
    // No activity: the state code stands (a degraded array stays degraded while nothing runs).
    if (variant != Decode::kStatusAction) {
      m_throttle = 2;
      if (variant == Decode::kRead) m_percent = progress;
    }
    return;
  }
  // An activity code the component does not know.
  if (variant == Decode::kProperties) {
    m_percent = -1;
    *setPercent = true;
  } else if (variant == Decode::kStatusAction) {
    m_percent = progress;
    *setPercent = true;
    *setThrottle = true;
  }
}

int ArrayNode::UpdateProperties() {
  if (!Select()) return 0;
  RaArrayInfo info{};
  const bool haveInfo = RecordStatus(raGetArrayInfo(m_logical, &info)) == 0;
  if (!haveInfo) info = RaArrayInfo{};  // nothing of a failed read is shown
  std::int32_t mode = 0, third = 0;
  std::uint32_t block = 0;
  if (RecordStatus(raGetArrayDescription(m_logical, &mode, &third, &block)) != 0) return 1;
  m_raidMode = mode;
  m_blockSize = block;
  SetProperty("RAID_Mode", kReadWrite, "%s", RaidModeText(mode).c_str());
  // Without the information record the previous geometry, name and size stand; on the first
  // update they are entered all the same (from the empty record), so that the entries keep
  // their places.
  const bool firstUpdate = FindDrop("Cyls") == nullptr;
  if (haveInfo || firstUpdate) {
    SetIntProperty("Cyls", kReadWrite, info.cylinders);
    SetIntProperty("Heads", kReadWrite, info.heads);
    SetIntProperty("Sectors", kReadWrite, info.sectorsPerTrack);
  }
  if (haveInfo) m_name.assign(ArrayRecordName(info));
  SetProperty("name", kReadWrite, "%s", m_name.c_str());
  SetProperty("Block Size", kReadWrite, "%d (kb)", static_cast<int>((m_blockSize & 0xFFFF) >> 1));
  if (haveInfo || firstUpdate) {
    const std::uint64_t bytes = (std::uint64_t{info.sizeHigh} << 32) | info.sizeLow;
    SetProperty("Size", kReadOnly, "%s", FormatSizeText(bytes).c_str());
  }

  m_status = kFailed;
  std::uint32_t state = 0, activity = 0;
  std::int32_t progress = 0;
  bool setPercent = false, setThrottle = false;
  if (RecordStatus(raGetArrayStatus(m_logical, &state, &activity, &progress)) == 0) {
    ApplyStatus(Decode::kProperties, state, activity, progress, &setPercent, &setThrottle);
    if (setPercent) SetIntProperty("percent", kChanging, m_percent);
  }
  SetIntProperty("Status", kChanging, static_cast<std::int32_t>(m_status));
  SetIntProperty("ThrottleStatus", kChanging, static_cast<std::int32_t>(m_throttle));
  return 1;
}

int ArrayNode::OnGet(CDrop* drop) {
  const std::string& name = drop->name();
  if (name == "Status") {
    const std::int32_t oldPercent = m_percent;
    if (!Select()) return 1;
    std::uint32_t state = 0, activity = 0;
    std::int32_t progress = 0;
    if (RecordStatus(raGetArrayStatus(m_logical, &state, &activity, &progress)) != 0) return 1;
    bool setPercent = false, setThrottle = false;
    ApplyStatus(Decode::kRead, state, activity, progress, &setPercent, &setThrottle);
    if (m_status != m_lastReported || m_percent != oldPercent) {
      m_lastReported = m_status;
      FireNotification(kNotifyChanged);
    }
    if (m_status & kActivityByte) {
      if (m_throttle == 2) {
        m_status &= ~kActivityByte;  // the activity was stopped
      } else {
        SetIntProperty("percent", kChanging, m_percent);
        SetIntProperty("ThrottleStatus", kChanging, static_cast<std::int32_t>(m_throttle));
      }
    }
    SetIntProperty("Status", kChanging, static_cast<std::int32_t>(m_status));
    return 1;
  }
  if (name == "percent") {
    SetIntProperty("percent", kChanging, m_percent);
    return 1;
  }
  if (name == "ThrottleStatus") {
    SetIntProperty("ThrottleStatus", kChanging, static_cast<std::int32_t>(m_throttle));
    return 1;
  }
  return 0;
}

void ArrayNode::FullRefresh() {
  Refresh();
  FireNotification(kNotifyChanged);
  ReconcileMembers();
}

void ArrayNode::StatusRefresh(std::string_view) {
  if (!Select()) return;
  std::uint32_t state = 0, activity = 0;
  std::int32_t progress = 0;
  if (RecordStatus(raGetArrayStatus(m_logical, &state, &activity, &progress)) == 0) {
    bool setPercent = false, setThrottle = false;
    ApplyStatus(Decode::kStatusAction, state, activity, progress, &setPercent, &setThrottle);
    if (setPercent) SetIntProperty("percent", kChanging, m_percent);
    if (setThrottle)
      SetIntProperty("ThrottleStatus", kChanging, static_cast<std::int32_t>(m_throttle));
  }
  SetIntProperty("Status", kChanging, static_cast<std::int32_t>(m_status));
  FireNotification(kNotifyChanged);
  ReconcileMembers();
}

int ArrayNode::OnInvoke(std::string_view action, std::string_view argument) {
  if (action == "rename") return Rename(argument);
  if (action == "RebuildArray") return Rebuild(argument);
  if (action == "SyncArray") return Synchronise(argument);
  if (action == "GUI_Status") {
    StatusRefresh(argument);
    return 0;
  }
  return E_FAIL;
}

int ArrayNode::Rename(std::string_view argument) {
  std::string name(argument == "N/A" ? std::string_view() : WithoutEmbeddedZero(argument));
  // The library takes names of at most 63 characters.
  if (name.size() > RA_NAME_SIZE - 1) name.resize(RA_NAME_SIZE - 1);
  if (!Select()) return E_FAIL;
  if (raRenameArray(m_logical, name.c_str()) != 0) {
    // The controller kept its name: the node shows that one, so a refused rename never looks
    // done. When even the record cannot be read, the name shown stays as it was.
    RaArrayInfo info{};
    if (RecordStatus(raGetArrayInfo(m_logical, &info)) == 0) m_name.assign(ArrayRecordName(info));
    const CDrop* shown = FindDrop("name");
    if (!shown || shown->value() != m_name) {
      SetProperty("name", kReadWrite, "%s", m_name.c_str());
      FireNotification(kNotifyChanged);
    }
    return E_FAIL;
  }
  m_name = name;
  SetProperty("name", kReadWrite, "%s", m_name.c_str());
  FireNotification(kNotifyChanged);
  return S_OK;
}

int ArrayNode::Rebuild(std::string_view argument) {
  std::vector<std::string_view> fields = SplitArgs(argument, '@');
  const std::int32_t code = ParseDecimal(fields[0]);
  if (code != 256 && code != 512 && code != 1024 && code != 2048) return E_FAIL;
  std::uint32_t member = 0;
  const std::uint32_t mode = CommandMode(code);
  if (code == 512) {
    if (fields.size() < 2 || !StartsWithNumber(fields[1])) return E_FAIL;
    CRiver* found = FindNodeByHandle(ParseDecimal(fields[1]), DiskNode::kKind);
    CRiverNode* disk = found ? found->AsNode() : nullptr;
    if (!disk) return E_FAIL;
    if (!Select()) return E_FAIL;
    LibraryList disks = EnumerateArrayDisks(m_logical);
    const std::int32_t index =
        disks.index_of(static_cast<std::uint32_t>(2 * disk->id() + disk->extra1()));
    if (index < 0) return E_FAIL;
    member = static_cast<std::uint32_t>(index);
  } else if (!Select()) {
    return E_FAIL;
  }
  if (RecordStatus(raArrayRebuildDisk(m_logical, member, mode)) != 0) return E_FAIL;
  m_throttle = ThrottleAfter(mode, m_throttle);
  return S_OK;
}

int ArrayNode::Synchronise(std::string_view argument) {
  const std::int32_t code = ParseDecimal(argument);
  if (code == 0) return E_FAIL;
  const std::uint32_t mode = CommandMode(code);
  if (!Select()) return E_FAIL;
  if (RecordStatus(raArraySynchronize(m_logical, mode)) != 0) return E_FAIL;
  m_throttle = ThrottleAfter(mode, m_throttle);
  return S_OK;
}

int BuildArrayChildren(ArrayContainer* controller, std::int32_t key) {
  std::vector<CRiver*> keep;
  std::int32_t& held = controller->array_key();
  const bool skip = held != -1 && key != -1 && held != key;
  if (!skip) {
    held = key;
    if (!SelectController(controller->controller_index())) return 0;
    LibraryList arrays = EnumerateArrays();
    // A passing library error must not make the arrays vanish and come back.
    if (!arrays.ok()) return 1;
    for (std::size_t i = 0; i < arrays.size(); ++i) {
      const std::uint32_t logical = arrays[i];
      std::uint32_t physical = logical;
      RecordStatus(raMapLogicalToPhysicalArray(logical, &physical));
      CRiverNode* existing =
          controller->FindChildById(static_cast<std::int32_t>(physical), ArrayNode::kKind);
      if (auto* array = dynamic_cast<ArrayNode*>(existing)) {
        // A sink may delete the array while it is notified; it must outlive this step.
        ComPtr<ArrayNode> alive(array);
        // The library may have given the array another logical number: the refresh reads it
        // under the number it has now.
        array->set_logical(logical);
        array->Refresh();
        array->FireNotification(kNotifyChanged);
        keep.push_back(array);
        continue;
      }
      RaArrayInfo info{};
      const bool haveInfo = RecordStatus(raGetArrayInfo(logical, &info)) == 0;
      if (!haveInfo) info = RaArrayInfo{};
      std::string name(ArrayRecordName(info));
      if (name.empty()) {
        // An unnamed array is named by its place in the list, and the name is written back.
        // A record that could not be read says nothing of the name: the node shows the number
        // until a read succeeds, and the controller keeps the name it has.
        char numbered[32];
        std::snprintf(numbered, sizeof numbered, "Ary%d", static_cast<int>(i + 1));
        name = numbered;
        if (haveInfo) raRenameArray(logical, name.c_str());
      }
      if (ArrayNode* array = controller->AdoptChild(ArrayNode::New(), [&](ArrayNode& node) {
            return node.InitArray(controller, name, logical, controller->controller_index());
          }))
        keep.push_back(array);
    }
  }
  DropPosition position = controller->GetHeadPosition();
  CDrop* link = nullptr;
  while (CRiver* child = controller->GetNextChild(position, &link)) {
    CRiverNode* node = child->AsNode();
    if (node && node->kind() == ArrayNode::kKind &&
        std::find(keep.begin(), keep.end(), child) == keep.end())
      controller->RemoveChild(link);
  }
  return 1;
}

}  // namespace swkv
