// The controller library's functions as the benchmarks name and count them.
#pragma once

#include <array>
#include <cstdint>

#include "raidlib/function_names.h"

namespace swkv::bench {

using Fn = ::swkv::RaFunction;
inline constexpr int kFunctionCount = kRaFunctionCount;

// The library's name of the function ("raGetArrayStatus").
const char* FunctionName(Fn fn);

// Calls per function.
using CallCounts = std::array<std::int64_t, kFunctionCount>;
std::int64_t Total(const CallCounts& counts);

}  // namespace swkv::bench
