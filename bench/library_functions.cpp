#include "bench/library_functions.h"

namespace swkv::bench {

namespace {

constexpr const auto& kNames = kRaFunctionNames;

}  // namespace

const char* FunctionName(Fn fn) {
  int i = static_cast<int>(fn);
  return i >= 0 && i < kFunctionCount ? kNames[i] : "?";
}

std::int64_t Total(const CallCounts& counts) {
  std::int64_t total = 0;
  for (std::int64_t n : counts) total += n;
  return total;
}

}  // namespace swkv::bench
