// Entries as JSON for scripts: beside the value as the component gives it, the words swkvctl puts
// to a code ("note": "normal", "good", "rebuilding") and a size in bytes ("bytes").
#pragma once

#include <string>
#include <string_view>

#include "tools/swkvctl/river_calls.h"

namespace swkv::ctl {

// {"name": ..., "access": ..., "value": ...[, "note": ...][, "bytes": N]} for an entry of a node of
// that kind.
std::string EntryJson(int kind, const Entry& entry);
// The bytes of a size as the component writes it ("74.530 GB", "1.250 GB (1280 MB)", "12 MB",
// "1.500 MB", "800 Bytes"), to the precision of the text; -1 for text of another form. The
// component writes the thousandths of a GB in 1024ths of a MB, so a GB size is exact to the MB.
long long SizeBytes(std::string_view text);

}  // namespace swkv::ctl
