// The controller library's functions as the benchmarks name and count them.
#pragma once

#include <array>
#include <cstdint>

namespace swkv::bench {

enum class Fn : std::uint8_t {
  Initialize,
  Terminate,
  NeedUpdate,
  GetEvents,
  ClearLog,
  GetControllerInfo,
  GetDriverVersion,
  GetMaxChannelsPerAdapter,
  CheckBatteryBackModule,
  CheckBatteryPack,
  OriginalChannelCount,
  WriteCacheEnabled,
  HotSparesEnabled,
  GetRebuildRate,
  SetRebuildRate,
  ChannelThreshold,
  SmartCheckEnabled,
  ReadThreshold,
  WriteThreshold,
  SubmitChannelThreshold,
  WriteMode,
  EnumerateAllArrays,
  MapLogicalToPhysicalArray,
  GetArrayInfo,
  GetArrayDescription,
  GetArrayStatus,
  EnumerateDisksInArray,
  RenameArray,
  ArrayRebuildDisk,
  ArraySynchronize,
  CreateArray,
  DeleteArray,
  ExpanConv,
  EnumerateAllDisks,
  GetDeviceName,
  GetDiskStatus,
  GetDiskDescription,
  GetDiskTiming,
  EnclosureType,
  GetEnclosureStatus,
  GetChargeStatus,
  GetChargeCycle,
  GetBatteryTemperature,
  GetBatteryVoltage,
  kCount
};
inline constexpr int kFunctionCount = static_cast<int>(Fn::kCount);

// The library's name of the function ("raGetArrayStatus").
const char* FunctionName(Fn fn);

// Calls per function.
using CallCounts = std::array<std::int64_t, kFunctionCount>;
std::int64_t Total(const CallCounts& counts);

}  // namespace swkv::bench
