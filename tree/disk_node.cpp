#include "tree/disk_node.h"

#include <array>
#include <cstring>
#include <new>

#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"
#include "river/format.h"
#include "tree/library_lists.h"

namespace swkv {

const char* DiskTimingText(std::int32_t code) {
  static constexpr const char* kTexts[] = {"UDMA mode 4", "UDMA mode 3", "UDMA mode 2",
                                           "UDMA mode 1", "UDMA mode 0", "DMA mode 2",
                                           "DMA mode 1",  "DMA mode 0",  "UDMA mode 5"};
  if (code == -1) return "Disk Timing Unknown";
  if (code < 0 || code > 8) return "";
  return kTexts[code];
}

const char* SmartText(std::uint32_t code) {
  switch (code) {
    case 1: return "Functional";
    case 2: return "Error";
    case 3: return "Not Supported";
    case 4: return "Unknown";
    default: return "";
  }
}

DiskNode* DiskNode::New() { return new DiskNode; }

DiskNode::DiskNode() { set_kind(kKind); }

std::uint32_t DiskNode::disk_identifier() const {
  return static_cast<std::uint32_t>(2 * id() + extra1());
}

int DiskNode::OnGet(CDrop*) { return 1; }

int DiskNode::UpdateProperties() {
  if (!SelectController(extra2())) return 0;
  const std::uint32_t disk = disk_identifier();

  const char* smart = "";
  std::uint32_t array = 0, state = 0, activityKind = 0, smartCode = 0;
  if (RecordStatus(raGetDiskStatus(disk, &array, &state, &activityKind, &smartCode)) == 0) {
    std::uint32_t status = (state == 1 || state == 3) ? 0x200 : 0x100;
    SetIntProperty("Rebuild", kChanging, 0);
    SetIntProperty("Convert", kChanging, 0);
    if (activityKind == 1 || activityKind == 3) {
      // The disk takes part in an activity of its array: find the array that lists it.
      std::uint32_t owner = array;
      LibraryList arrays = EnumerateArrays();
      for (std::uint32_t logical : arrays) {
        if (EnumerateArrayDisks(logical).contains(disk)) {
          owner = logical;
          break;
        }
      }
      std::uint32_t arrayState = 0, activity = 0;
      std::int32_t progress = 0;
      RecordStatus(raGetArrayStatus(owner, &arrayState, &activity, &progress));
      if (activity == 0)
        SetIntProperty("Rebuild", kChanging, 2);
      else if (activityKind == 1)
        SetIntProperty("Rebuild", kChanging, 1);
      else
        SetIntProperty("Convert", kChanging, 3);
      status = 0x80000001u;
    }
    SetIntProperty("Status", kChanging, static_cast<std::int32_t>(status));
    DeviceName model = ReadDeviceName(disk);
    SetProperty("model", kReadOnly, "%s", model.text());
    if (model.ok()) smart = SmartText(smartCode);
  }
  SetProperty("smart", kReadOnly, "%s", smart);

  std::uint32_t totalSectors = 0, cylinders = 0, heads = 0, sectorsPerTrack = 0;
  RecordStatus(raGetDiskDescription(disk, &totalSectors, &cylinders, &heads, &sectorsPerTrack));
  SetIntProperty("Cyls", kReadOnly, static_cast<std::int32_t>(cylinders));
  SetIntProperty("Heads", kReadOnly, static_cast<std::int32_t>(heads));
  SetIntProperty("Sectors", kReadOnly, static_cast<std::int32_t>(sectorsPerTrack));
  SetProperty("Size", kReadOnly, "%s",
              FormatSizeText(std::uint64_t{totalSectors} * 512u).c_str());

  std::int32_t timing = -1;  // a failed read shows as unknown timing
  RecordStatus(raGetDiskTiming(disk, &timing));
  SetProperty("Timing_Mode", kReadOnly, "%s", DiskTimingText(timing));
  SetIntProperty("Channel", kReadOnly, id());
  return 1;
}

}  // namespace swkv
