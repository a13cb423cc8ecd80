// Words for the numbers a person cannot read at a glance: an array's Status word, a disk's
// status, an activity's throttle state.
#pragma once

#include <string>

#include "tools/swkvctl/river_calls.h"

namespace swkv::ctl {

// A short note on an entry's value ("critical", "rebuilding", "paused"), or "" when there is
// nothing to add to the value itself.
std::string ValueNote(int kind, const Entry& entry);
// An array's state in words from its Status, ThrottleStatus and percent texts:
// "normal", "critical", "rebuilding 37%", "synchronising 40% (paused)".
std::string DescribeArrayState(const std::string& status, const std::string& throttle,
                               const std::string& percent);

}  // namespace swkv::ctl
