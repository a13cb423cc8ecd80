// Value texts shared by the node classes.
#pragma once

#include <cstdint>
#include <string>

namespace swkv {

// The human-readable size of an array or a disk. Fractions are truncated, never rounded:
// 1.5 GiB is "1.500 GB (1536 MB)".
std::string FormatSizeText(std::uint64_t bytes);

}  // namespace swkv
