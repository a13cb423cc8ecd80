// The text "RAID_Mode" shows for a library mode code, from the component's string table.
#pragma once

#include <cstdint>
#include <string>

namespace swkv {

// String ids of the mode texts, by mode code 0 to 5; other codes use kUnknownRaidType.
inline constexpr unsigned kRaidModeStringIds[] = {1260, 1263, 1261, 1266, 1264, 1265};
inline constexpr unsigned kUnknownRaidType = 1267;

// Loaded from the string table each time it is asked for.
std::string RaidModeText(std::int32_t mode);

}  // namespace swkv
