#include "bench/library_functions.h"

namespace swkv::bench {

namespace {

constexpr const char* kNames[kFunctionCount] = {
    "raInitialize",
    "raTerminate",
    "raNeedUpdate",
    "raGetEvents",
    "raClearLog",
    "raGetControllerInfo",
    "raGetDriverVersion",
    "raGetMaxChannelsPerAdapter",
    "raCheckBatteryBackModule",
    "raCheckBatteryPack",
    "raOriginalChannelCount",
    "raWriteCacheEnabled",
    "raHotSparesEnabled",
    "raGetRebuildRate",
    "raSetRebuildRate",
    "raChannelThreshold",
    "raSmartCheckEnabled",
    "raReadThreshold",
    "raWriteThreshold",
    "raSubmitChannelThreshold",
    "raWriteMode",
    "raEnumerateAllArrays",
    "raMapLogicalToPhysicalArray",
    "raGetArrayInfo",
    "raGetArrayDescription",
    "raGetArrayStatus",
    "raEnumerateDisksInArray",
    "raRenameArray",
    "raArrayRebuildDisk",
    "raArraySynchronize",
    "raCreateArray",
    "raDeleteArray",
    "raExpanConv",
    "raEnumerateAllDisks",
    "raGetDeviceName",
    "raGetDiskStatus",
    "raGetDiskDescription",
    "raGetDiskTiming",
    "raEnclosureType",
    "raGetEnclosureStatus",
    "raGetChargeStatus",
    "raGetChargeCycle",
    "raGetBatteryTemperature",
    "raGetBatteryVoltage",
};

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
