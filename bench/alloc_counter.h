// Counts heap allocations made by the benchmarked code (operator new is replaced in this
// program), so a benchmark can report allocations per operation.
#pragma once

#include <cstdint>

namespace swkv::bench {

std::uint64_t AllocationCount();

}  // namespace swkv::bench
