// The library's functions by name, the faults a test or scenario gives them, and call counts.
#pragma once

#include <cstdint>

#include "raidlib/function_names.h"
#include <string_view>
#include <utility>
#include <vector>

namespace swkv::sim {

using Fn = ::swkv::RaFunction;
inline constexpr int kFunctionCount = kRaFunctionCount;

const char* FunctionName(Fn fn);
// False for the calls that only read the model (opening and closing are the process's own).
bool ChangesModel(Fn fn);
// False when name is not one of the library's functions.
bool FindFunction(std::string_view name, Fn& fn);

enum class FaultKind { Fail, Count, Unterminated, Output, Silent };

// One requested fault. It matches the calls of its function on its controller (-1: any); with
// call n > 0 only the n-th matching call, counted in this process from when it was given.
struct Fault {
  Fn function = Fn::Initialize;
  int32_t controller = -1;
  int32_t call = 0;
  FaultKind kind = FaultKind::Fail;
  int32_t status = 0;  // Fail: the status returned
  int32_t output = 0;  // Output: which value the call writes
  int32_t value = 0;   // Count: the count reported; Output: the value written
  int64_t seen = 0;    // matching calls so far (not saved)

  bool SameRequest(const Fault& other) const;
};

// What the matching faults make of one call.
struct FaultEffect {
  bool fail = false;
  int32_t status = 0;
  bool count = false;
  int32_t countValue = 0;
  bool unterminated = false;
  bool silent = false;
  std::vector<std::pair<int32_t, int32_t>> outputs;  // (output, value)
};

// Counts the call against every fault of its function and controller and returns their effect.
FaultEffect MatchFaults(std::vector<Fault>& faults, Fn fn, int controller);

// Calls per function, per controller and in all.
class CallCounts {
 public:
  void Count(Fn fn, int controller);
  int64_t Get(Fn fn, int controller) const;  // controller -1: all calls
  void Clear();

 private:
  // [function][0: all, 1: controller 0, 2: controller 1]
  int64_t m_counts[kFunctionCount][3] = {};
};

}  // namespace swkv::sim
