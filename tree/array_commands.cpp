#include "tree/array_commands.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"
#include "river/args.h"
#include "mxaraid/interfaces.h"
#include "tree/array_container.h"
#include "tree/array_node.h"
#include "tree/disk_node.h"

namespace swkv {

namespace {

constexpr std::string_view kModeNames[] = {
    "RAID0(STRIPING)",         "RAID1(MIRROR)",             "RAID0+1(STRIPE-MIRRORING)",
    "RAID3(PARITY-DEDICATED)", "RAID5(PARITY-DISTRIBUTED)", "SPAN",
};
constexpr std::int32_t kModeCodes[] = {0, 1, 2, 4, 5, 3};

// The library's identifier of the disk node whose handle number is given, when that node lies
// below the controller; -1 otherwise.
std::int64_t DiskIdentifier(ArrayContainer* controller, std::string_view address) {
  const std::int32_t number = ParseDecimal(address);
  if (number == 0) return -1;
  CRiver* found = controller->FindNodeByHandle(number, DiskNode::kKind);
  CRiverNode* disk = found ? found->AsNode() : nullptr;
  if (!disk) return -1;
  return static_cast<std::uint32_t>(2 * disk->id() + disk->extra1());
}

ArrayNode* FindArray(ArrayContainer* controller, std::string_view address) {
  CRiver* found = controller->FindNodeByHandle(ParseDecimal(address), ArrayNode::kKind);
  return dynamic_cast<ArrayNode*>(found);
}

// Takes the text up to the next '@' off the front of rest; false when there is no '@'.
bool TakeField(std::string_view& rest, std::string_view& field) {
  std::size_t at = rest.find('@');
  if (at == std::string_view::npos) return false;
  field = rest.substr(0, at);
  rest.remove_prefix(at + 1);
  return true;
}

// Parses and runs a creation; an argument that does not describe one does nothing.
void TryCreate(ArrayContainer* controller, std::string_view argument) {
  std::string_view rest = argument;
  std::string_view name, modeName, countField, address;
  if (!TakeField(rest, name)) return;
  if (!TakeField(rest, modeName) || modeName.empty()) return;
  const std::int32_t position = ParseRaidModeName(modeName);
  if (position < 0) return;
  // The count is an 8-bit value; an array holds at most eight disks.
  if (!TakeField(rest, countField) || countField.empty()) return;
  const auto count = static_cast<std::uint8_t>(ParseDecimal(countField));
  if (count == 0 || count > ArrayNode::kMaxMembers) return;
  std::array<std::uint8_t, ArrayNode::kMaxMembers> disks{};
  for (std::uint8_t k = 0; k < count; ++k) {
    // Each disk field is followed by another field: the next disk or the last value.
    if (!TakeField(rest, address)) return;
    const std::int64_t disk = DiskIdentifier(controller, address);
    if (disk < 0) return;
    disks[k] = static_cast<std::uint8_t>(disk);
  }
  const std::int32_t last = ParseDecimal(rest);
  if (!SelectController(controller->controller_index())) return;
  // The library takes names of at most 63 characters.
  std::string libraryName(name.substr(0, std::min(name.find('\0'), name.size())));
  if (libraryName.size() > RA_NAME_SIZE - 1) libraryName.resize(RA_NAME_SIZE - 1);
  if (RecordStatus(raCreateArray(libraryName.c_str(), kModeCodes[position], count, disks.data(),
                                 last)) == 0)
    controller->FireNotification(kNotifyChanged);
}

}  // namespace

std::uint32_t CommandMode(std::int32_t code) {
  switch (code) {
    case 256: return 5;   // start or resume
    case 1024: return 3;  // pause
    case 2048: return 4;  // stop
    default: return 0;    // start on a given target
  }
}

std::uint32_t ThrottleAfter(std::uint32_t mode, std::uint32_t current) {
  switch (mode) {
    case 0:
    case 5: return 1;
    case 3: return 4;
    case 4: return 2;
    default: return current;
  }
}

std::int32_t ParseRaidModeName(std::string_view name) {
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(std::size(kModeNames)); ++i)
    if (kModeNames[i] == name) return i;
  return -1;
}

std::int32_t RaidModeCode(std::int32_t position) {
  return position >= 0 && position < 6 ? kModeCodes[position] : -1;
}

int CreateArray(ArrayContainer* controller, std::string_view argument) {
  TryCreate(controller, argument);
  // The refresh runs in every case; it adds the new array as a child.
  controller->Refresh();
  return 0;
}

int DeleteArray(ArrayContainer* controller, std::string_view argument) {
  ArrayNode* array = FindArray(controller, argument);
  if (!array) return 0;
  const std::uint32_t logical = array->logical();
  if (!SelectController(controller->controller_index())) return 0;
  if (RecordStatus(raDeleteArray(logical)) != 0) return 0;
  array->FireNotification(kNotifyDeleted);
  controller->FireNotification(kNotifyChanged);
  controller->Refresh();  // removes the array node
  return 0;
}

int ConvertArray(ArrayContainer* controller, std::string_view argument) {
  std::vector<std::string_view> fields = SplitArgs(argument, '@');
  if (fields.size() < 2) return E_FAIL;
  ArrayNode* array = FindArray(controller, fields[1]);
  if (!array) return E_FAIL;
  const std::int32_t command = ParseDecimal(fields[0]);
  const std::uint32_t logical = array->logical();
  // With only the command and the array, the array keeps its own block size.
  std::uint32_t blockSize = array->block_size();
  std::string_view modeName;
  std::array<std::uint32_t, ArrayNode::kMaxMembers> disks{};
  std::uint32_t count = 0;
  int result = S_OK;
  if (fields.size() > 2) {
    if (fields.size() < 5) {
      result = E_FAIL;
    } else {
      modeName = fields[2];
      blockSize = static_cast<std::uint32_t>(ParseDecimal(fields[3]));
      const std::int32_t wanted = ParseDecimal(fields[4]);
      if (wanted < 0 || wanted > static_cast<std::int32_t>(ArrayNode::kMaxMembers) ||
          fields.size() < 5 + static_cast<std::size_t>(wanted)) {
        result = E_FAIL;
      } else {
        count = static_cast<std::uint32_t>(wanted);
        for (std::uint32_t k = 0; k < count && result == S_OK; ++k) {
          const std::int64_t disk = DiskIdentifier(controller, fields[5 + k]);
          if (disk < 0)
            result = E_FAIL;
          else
            disks[k] = static_cast<std::uint32_t>(disk);
        }
      }
    }
  }
  if (result == S_OK && command == 0) result = E_FAIL;
  if (result == S_OK) {
    if (!SelectController(controller->controller_index())) return E_FAIL;
    const std::uint32_t mode = CommandMode(command);
    const std::int32_t target = command == 512 ? RaidModeCode(ParseRaidModeName(modeName)) : -1;
    if (RecordStatus(raExpanConv(logical, target, count, disks.data(), blockSize, mode)) != 0) {
      result = E_FAIL;
    } else if (mode != 4) {
      // A stopped conversion leaves the throttle status to the next read of the status.
      array->set_throttle_status(ThrottleAfter(mode, array->throttle_status()));
    }
  }
  controller->Refresh();
  return result;
}

}  // namespace swkv
