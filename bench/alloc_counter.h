// Counts heap allocations made by the benchmarked code (operator new is replaced in this
// program), so a benchmark can report allocations per operation, and the bytes they hold.
#pragma once

#include <cstdint>

namespace swkv::bench {

// Allocations through operator new since the program started.
std::uint64_t AllocationCount();
// Bytes asked for by the blocks operator new handed out that were not deleted yet, and their
// number.
std::int64_t LiveBytes();
std::int64_t LiveBlocks();

}  // namespace swkv::bench
