#include "sim/faults.h"

namespace swkv::sim {

namespace {

constexpr const auto& kNames = kRaFunctionNames;

}  // namespace

const char* FunctionName(Fn fn) {
  int i = static_cast<int>(fn);
  return i >= 0 && i < kFunctionCount ? kNames[i] : "?";
}

bool ChangesModel(Fn fn) {
  switch (fn) {
    case Fn::NeedUpdate:  // clears the flag
    case Fn::GetEvents:   // takes the events
    case Fn::ClearLog:
    case Fn::SetRebuildRate:
    case Fn::ChannelThreshold:
    case Fn::SmartCheckEnabled:
    case Fn::ReadThreshold:
    case Fn::WriteThreshold:
    case Fn::SubmitChannelThreshold:
    case Fn::WriteMode:
    case Fn::RenameArray:
    case Fn::ArrayRebuildDisk:
    case Fn::ArraySynchronize:
    case Fn::CreateArray:
    case Fn::DeleteArray:
    case Fn::ExpanConv: return true;
    default: return false;
  }
}

bool FindFunction(std::string_view name, Fn& fn) {
  for (int i = 0; i < kFunctionCount; ++i) {
    if (name == kNames[i]) {
      fn = static_cast<Fn>(i);
      return true;
    }
  }
  return false;
}

bool Fault::SameRequest(const Fault& other) const {
  return function == other.function && controller == other.controller && call == other.call &&
         kind == other.kind && status == other.status && output == other.output &&
         value == other.value;
}

FaultEffect MatchFaults(std::vector<Fault>& faults, Fn fn, int controller) {
  FaultEffect effect;
  for (Fault& f : faults) {
    if (f.function != fn || (f.controller != -1 && f.controller != controller)) continue;
    ++f.seen;
    if (f.call != 0 && f.seen != f.call) continue;
    switch (f.kind) {
      case FaultKind::Fail:
        if (!effect.fail) {
          effect.fail = true;
          effect.status = f.status;
        }
        break;
      case FaultKind::Count:
        effect.count = true;
        effect.countValue = f.value;
        break;
      case FaultKind::Unterminated: effect.unterminated = true; break;
      case FaultKind::Output: effect.outputs.emplace_back(f.output, f.value); break;
      case FaultKind::Silent: effect.silent = true; break;
    }
  }
  return effect;
}

void CallCounts::Count(Fn fn, int controller) {
  int i = static_cast<int>(fn);
  ++m_counts[i][0];
  if (controller == 0 || controller == 1) ++m_counts[i][controller + 1];
}

int64_t CallCounts::Get(Fn fn, int controller) const {
  int i = static_cast<int>(fn);
  if (controller == -1) return m_counts[i][0];
  if (controller == 0 || controller == 1) return m_counts[i][controller + 1];
  return 0;
}

void CallCounts::Clear() {
  for (auto& row : m_counts) {
    for (auto& n : row) n = 0;
  }
}

}  // namespace swkv::sim
