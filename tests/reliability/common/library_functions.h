// The controller library's functions by name, with what the simulated library can make each of
// them do wrong (sim/sim_control.h): the values it writes, the lists it fills, the texts.
#pragma once

#include <iterator>

#include "raidlib/function_names.h"
#include "raidlib/raidapikv9k.h"

namespace swkv::test {

struct LibraryFunction {
  const char* name;
  int outputs;         // values it writes that SIM_MISBEHAVE_OUTPUT can replace
  int room = 0;        // the list room for SIM_MISBEHAVE_COUNT (0: no count)
  bool texts = false;  // it fills text buffers (SIM_MISBEHAVE_UNTERMINATED)
};

inline constexpr LibraryFunction kLibraryFunctions[] = {
    {"raInitialize", 0}, {"raTerminate", 0}, {"raNeedUpdate", 1},
    {"raGetEvents", 1, RA_MAX_EVENTS, true}, {"raClearLog", 0}, {"raGetControllerInfo", 0},
    {"raGetDriverVersion", 0, 0, true}, {"raGetMaxChannelsPerAdapter", 1},
    {"raCheckBatteryBackModule", 1}, {"raCheckBatteryPack", 1}, {"raOriginalChannelCount", 1},
    {"raWriteCacheEnabled", 1}, {"raHotSparesEnabled", 1}, {"raGetRebuildRate", 1},
    {"raSetRebuildRate", 0}, {"raChannelThreshold", 1}, {"raSmartCheckEnabled", 1},
    {"raReadThreshold", 1}, {"raWriteThreshold", 1}, {"raSubmitChannelThreshold", 1},
    {"raWriteMode", 1}, {"raEnumerateAllArrays", 1, RA_MAX_LIST},
    {"raMapLogicalToPhysicalArray", 1}, {"raGetArrayInfo", 0, 0, true},
    {"raGetArrayDescription", 3}, {"raGetArrayStatus", 3},
    {"raEnumerateDisksInArray", 1, RA_MAX_LIST}, {"raRenameArray", 0}, {"raArrayRebuildDisk", 0},
    {"raArraySynchronize", 0}, {"raCreateArray", 0}, {"raDeleteArray", 0}, {"raExpanConv", 0},
    {"raEnumerateAllDisks", 1, RA_MAX_LIST}, {"raGetDeviceName", 0, 0, true},
    {"raGetDiskStatus", 4}, {"raGetDiskDescription", 4}, {"raGetDiskTiming", 1},
    {"raEnclosureType", 1}, {"raGetEnclosureStatus", 6}, {"raGetChargeStatus", 1},
    {"raGetChargeCycle", 1}, {"raGetBatteryTemperature", 1}, {"raGetBatteryVoltage", 1},
};
// A function left out would never fail in the sweep.
static_assert(std::size(kLibraryFunctions) == kRaFunctionCount);

}  // namespace swkv::test
