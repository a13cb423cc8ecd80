// The controller's array actions: "CreateArray", "DeleteArray" and "ConvArray". Each parses its
// argument, turns the node handles in it into the library's numbers, calls the library once and
// has the controller rebuild its children.
#pragma once

#include <cstdint>
#include <string_view>

namespace swkv {

class ArrayContainer;

// The position of a RAID mode name in the creation table, or -1 (names are case-sensitive).
std::int32_t ParseRaidModeName(std::string_view name);
// The library's mode code for a position of that table, or -1.
std::int32_t RaidModeCode(std::int32_t position);

// The library's command mode for a rebuild, synchronisation or conversion command code:
// 256 (start or resume) 5, 1024 (pause) 3, 2048 (stop) 4, any other (start on a target) 0.
std::uint32_t CommandMode(std::int32_t code);
// The throttle status once the library took a command of that mode: 1 running, 4 paused,
// 2 stopped; current for any other mode.
std::uint32_t ThrottleAfter(std::uint32_t mode, std::uint32_t current);

// name@mode name@count@disk 1@...@disk count@last value. Returns 0.
int CreateArray(ArrayContainer* controller, std::string_view argument);
// The handle number of an array node. Returns 0.
int DeleteArray(ArrayContainer* controller, std::string_view argument);
// command@array@mode name@block size@count@disk 1@...@disk count. 0 or E_FAIL.
int ConvertArray(ArrayContainer* controller, std::string_view argument);

}  // namespace swkv
