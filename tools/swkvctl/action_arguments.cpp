#include "tools/swkvctl/action_arguments.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/river_calls.h"

namespace swkv::ctl {

namespace {

// The controller's settings: each takes one whole number in a range.
struct Setting {
  const char* action;
  int least, most;
  const char* meaning;
};
constexpr Setting kSettings[] = {
    {"SetSmart", 0, 1, "0 (off) or 1 (on)"},
    {"SetCachePolicy", 0, 1, "0 (write-through) or 1 (write-back)"},
    {"SetDisableHotSpare", 0, 1, "0 (hot spares used) or 1 (not used)"},
    {"SetWriteMode", 0, 1, "0 or 1"},
    {"SetPCIBus", 0, 100, "a percentage from 0 to 100"},
    {"SetMaintenanceRate", 0, 254, "a number from 0 to 254"},
    {"SetReadThreshold", 0, 254, "a number from 0 to 254"},
    {"SetWriteThreshold", 0, 254, "a number from 0 to 254"},
    {"SetSubmitChannelThreshold", 0, 254, "a number from 0 to 254"},
};

// The mode names CreateArray and ConvArray take, as the component spells them.
constexpr std::string_view kModes[] = {"RAID0(STRIPING)",         "RAID1(MIRROR)",
                                       "RAID0+1(STRIPE-MIRRORING)", "RAID3(PARITY-DEDICATED)",
                                       "RAID5(PARITY-DISTRIBUTED)", "SPAN"};
constexpr std::size_t kMaxMembers = 8;

// Activity commands in words: what the array actions and ConvArray take as their first field.
struct Command {
  const char* word;
  int code;
};
constexpr Command kRebuildCommands[] = {
    {"start", 256}, {"resume", 256}, {"onto", 512}, {"pause", 1024}, {"stop", 2048}};
constexpr Command kSyncCommands[] = {
    {"start", 256}, {"resume", 256}, {"pause", 1024}, {"stop", 2048}};
constexpr Command kConvertCommands[] = {
    {"resume", 256}, {"start", 512}, {"pause", 1024}, {"stop", 2048}};

const char kRebuildTakes[] =
    "start or resume (256), onto@DISK (512: rebuild onto that member, by its path or handle "
    "number), pause (1024), stop (2048)";
const char kSyncTakes[] = "start or resume (256), pause (1024), stop (2048)";
const char kCreateTakes[] =
    "NAME@MODE@COUNT@DISK...@BLOCK: COUNT (1 to 8) disks by path or handle number, MODE one of "
    "RAID0(STRIPING), RAID1(MIRROR), RAID0+1(STRIPE-MIRRORING), RAID3(PARITY-DEDICATED), "
    "RAID5(PARITY-DISTRIBUTED), SPAN (any case), BLOCK a number";
const char kConvertTakes[] =
    "resume|pause|stop@ARRAY, or start@ARRAY@MODE@BLOCK@COUNT@DISK... (codes 256, 1024, 2048, "
    "512; ARRAY and DISKs by path or handle number, COUNT 0 to 8)";
const char kDeleteTakes[] = "an array of this controller, by its path or handle number";

std::vector<std::string> Fields(const std::string& argument) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = argument.find('@', start);
    fields.push_back(argument.substr(start, at == std::string::npos ? at : at - start));
    if (at == std::string::npos) return fields;
    start = at + 1;
  }
}

std::string Joined(const std::vector<std::string>& fields) {
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) text += (i == 0 ? "" : "@") + fields[i];
  return text;
}

// A whole decimal number (an optional '-', digits), within int's range.
bool ParseWhole(const std::string& text, long long& value) {
  const std::size_t digits = text.size() - (text.starts_with('-') ? 1 : 0);
  if (digits == 0 || digits > 10) return false;
  if (!std::all_of(text.end() - static_cast<std::ptrdiff_t>(digits), text.end(),
                   [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  value = std::stoll(text);
  return true;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

std::size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

[[noreturn]] void Refuse(const std::string& action, const std::string& problem,
                         const std::string& takes) {
  throw Failure(kExitUsage, problem + "; " + action + " takes " +
                                takes + " (--raw passes the argument unchanged)");
}

// The component's spelling of a mode name typed in any case; a near miss is refused with the
// name meant.
std::string MatchMode(const std::string& action, const std::string& typed,
                      const std::string& takes) {
  const std::string upper = Upper(typed);
  if (typed.empty()) Refuse(action, "no RAID mode given", takes);
  std::string_view nearest;
  std::size_t best = 4;
  for (std::string_view mode : kModes) {
    if (upper == mode) return std::string(mode);
    // "RAID1" and "MIRROR" are near misses of "RAID1(MIRROR)", as a few typing slips are.
    const bool part = upper.size() >= 3 && mode.find(upper) != std::string_view::npos;
    const std::size_t distance = part ? 1 : Distance(upper, mode);
    if (distance < best) {
      best = distance;
      nearest = mode;
    }
  }
  Refuse(action, "no RAID mode " + typed +
                     (nearest.empty() ? "" : " (did you mean " + std::string(nearest) + "?)"),
         takes);
}

int MatchCommand(const std::string& action, const std::string& typed, const Command* begin,
                 const Command* end, const std::string& takes) {
  long long code = 0;
  const bool number = ParseWhole(typed, code);
  for (const Command* command = begin; command != end; ++command)
    if (number ? code == command->code : Upper(typed) == Upper(command->word)) return command->code;
  Refuse(action, typed.empty() ? "no command given" : "no command " + typed, takes);
}

void CheckHandle(const std::string& action, const std::string& field, const char* what,
                 const std::string& takes) {
  long long number = 0;
  if (!ParseWhole(field, number) || number <= 0)
    Refuse(action,
           std::string(what) + " " +
               (field.empty() ? "is missing"
                              : field + " is neither a node path nor a handle number"),
           takes);
}

std::string CheckCreate(const std::string& argument) {
  std::vector<std::string> fields = Fields(argument);
  const std::string action = "CreateArray";
  if (fields.size() < 5) Refuse(action, "too few fields in " + argument, kCreateTakes);
  fields[1] = MatchMode(action, fields[1], kCreateTakes);
  long long count = 0;
  if (!ParseWhole(fields[2], count) || count < 1 || count > static_cast<long long>(kMaxMembers))
    Refuse(action, "the disk count " + fields[2] + " is not a number from 1 to 8", kCreateTakes);
  if (fields.size() != 4 + static_cast<std::size_t>(count))
    Refuse(action,
           "the count says " + fields[2] + " disks, but " + std::to_string(fields.size() - 4) +
               " follow",
           kCreateTakes);
  for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k)
    CheckHandle(action, fields[3 + k], "the disk", kCreateTakes);
  long long block = 0;
  if (!ParseWhole(fields.back(), block) || block < 0)
    Refuse(action, "the block size " + fields.back() + " is not a number", kCreateTakes);
  return Joined(fields);
}

std::string CheckConvert(const std::string& argument) {
  std::vector<std::string> fields = Fields(argument);
  const std::string action = "ConvArray";
  const int code = MatchCommand(action, fields[0], std::begin(kConvertCommands),
                                std::end(kConvertCommands), kConvertTakes);
  fields[0] = std::to_string(code);
  if (fields.size() < 2) Refuse(action, "no array given", kConvertTakes);
  CheckHandle(action, fields[1], "the array", kConvertTakes);
  if (code != 512) {
    if (fields.size() != 2) Refuse(action, "too many fields for " + fields[0], kConvertTakes);
    return Joined(fields);
  }
  if (fields.size() < 5)
    Refuse(action, "start needs a mode, a block size and a count", kConvertTakes);
  fields[2] = MatchMode(action, fields[2], kConvertTakes);
  long long block = 0, count = 0;
  if (!ParseWhole(fields[3], block) || block < 0)
    Refuse(action, "the block size " + fields[3] + " is not a number", kConvertTakes);
  if (!ParseWhole(fields[4], count) || count < 0 || count > static_cast<long long>(kMaxMembers))
    Refuse(action, "the disk count " + fields[4] + " is not a number from 0 to 8", kConvertTakes);
  if (fields.size() != 5 + static_cast<std::size_t>(count))
    Refuse(action,
           "the count says " + fields[4] + " disks, but " + std::to_string(fields.size() - 5) +
               " follow",
           kConvertTakes);
  for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k)
    CheckHandle(action, fields[5 + k], "the disk", kConvertTakes);
  return Joined(fields);
}

const Setting* FindSetting(const std::string& action) {
  for (const Setting& setting : kSettings)
    if (action == setting.action) return &setting;
  return nullptr;
}

}  // namespace

std::string ActionTakes(int kind, const std::string& action) {
  if (kind == kKindController) {
    if (const Setting* setting = FindSetting(action)) return setting->meaning;
    if (action == "CreateArray") return kCreateTakes;
    if (action == "ConvArray") return kConvertTakes;
    if (action == "DeleteArray") return kDeleteTakes;
  }
  if (kind == kKindArray) {
    if (action == "RebuildArray") return kRebuildTakes;
    if (action == "SyncArray") return kSyncTakes;
    if (action == "rename") return "the array's new name";
  }
  return "";
}

int FieldKind(int kind, const std::string& action, std::size_t index, std::size_t fields) {
  if (kind == kKindController) {
    if (action == "DeleteArray") return index == 0 ? kKindArray : 0;
    if (action == "CreateArray") return index >= 3 && index + 1 < fields ? kKindDisk : 0;
    if (action == "ConvArray") return index == 1 ? kKindArray : index >= 5 ? kKindDisk : 0;
  }
  if (kind == kKindArray && action == "RebuildArray") return index == 1 ? kKindDisk : 0;
  return 0;
}

bool TakesText(int kind, const std::string& action) {
  return kind == kKindArray && action == "rename";
}

bool FieldIsArrayMember(int kind, const std::string& action, std::size_t index) {
  return kind == kKindArray && action == "RebuildArray" && index == 1;
}

std::string CheckActionArgument(int kind, const std::string& action, const std::string& argument) {
  const std::string takes = ActionTakes(kind, action);
  if (kind == kKindController) {
    if (const Setting* setting = FindSetting(action)) {
      long long value = 0;
      if (!ParseWhole(argument, value))
        Refuse(action, argument.empty() ? "no value given" : argument + " is not a whole number",
               takes);
      if (value < setting->least || value > setting->most)
        Refuse(action, argument + " is out of range", takes);
      return std::to_string(value);
    }
    if (action == "CreateArray") return CheckCreate(argument);
    if (action == "ConvArray") return CheckConvert(argument);
    if (action == "DeleteArray") {
      CheckHandle(action, argument, "the array", takes);
      return argument;
    }
  }
  if (kind == kKindArray && (action == "RebuildArray" || action == "SyncArray")) {
    std::vector<std::string> fields = Fields(argument);
    const bool rebuild = action == "RebuildArray";
    const int code = rebuild ? MatchCommand(action, fields[0], std::begin(kRebuildCommands),
                                            std::end(kRebuildCommands), takes)
                             : MatchCommand(action, fields[0], std::begin(kSyncCommands),
                                            std::end(kSyncCommands), takes);
    fields[0] = std::to_string(code);
    if (code == 512) {
      if (fields.size() != 2) Refuse(action, "onto (512) takes one disk: 512@DISK", takes);
      CheckHandle(action, fields[1], "the disk", takes);
    } else if (fields.size() != 1) {
      Refuse(action, "only onto (512) takes a disk", takes);
    }
    return Joined(fields);
  }
  return argument;
}

}  // namespace swkv::ctl
