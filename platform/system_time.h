// The system time as milliseconds since 1970 (UTC): what the event records show, and the clock
// the simulated library may follow. The system counts 100-ns units since 1601.
#pragma once

#include <cstdint>

#include "platform/win.h"

namespace swkv {

inline std::int64_t UnixMillisecondsNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const std::uint64_t ticks = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10000) - 11644473600000LL;
}

}  // namespace swkv
