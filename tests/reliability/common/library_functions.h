// The controller library's functions by name, with what the simulated library can make each of
// them do wrong (sim/sim_control.h): the values it writes, the lists it fills, the texts.
#pragma once

#include "raidlib/raidapikv9k.h"

namespace swkv::test {

struct LibraryFunction {
  const char* name;
  int outputs;  // values it writes that SIM_MISBEHAVE_OUTPUT can replace
  int room;     // the list room for SIM_MISBEHAVE_COUNT (0: no count)
  bool texts;   // it fills text buffers (SIM_MISBEHAVE_UNTERMINATED)
};

inline constexpr LibraryFunction kLibraryFunctions[] = {
    {"raInitialize", 0, 0, false},
    {"raTerminate", 0, 0, false},
    {"raNeedUpdate", 1, 0, false},
    {"raGetEvents", 1, RA_MAX_EVENTS, true},
    {"raClearLog", 0, 0, false},
    {"raGetControllerInfo", 0, 0, false},
    {"raGetDriverVersion", 0, 0, true},
    {"raGetMaxChannelsPerAdapter", 1, 0, false},
    {"raCheckBatteryBackModule", 1, 0, false},
    {"raCheckBatteryPack", 1, 0, false},
    {"raOriginalChannelCount", 1, 0, false},
    {"raWriteCacheEnabled", 1, 0, false},
    {"raHotSparesEnabled", 1, 0, false},
    {"raGetRebuildRate", 1, 0, false},
    {"raSetRebuildRate", 0, 0, false},
    {"raChannelThreshold", 1, 0, false},
    {"raSmartCheckEnabled", 1, 0, false},
    {"raReadThreshold", 1, 0, false},
    {"raWriteThreshold", 1, 0, false},
    {"raSubmitChannelThreshold", 1, 0, false},
    {"raWriteMode", 1, 0, false},
    {"raEnumerateAllArrays", 1, RA_MAX_LIST, false},
    {"raMapLogicalToPhysicalArray", 1, 0, false},
    {"raGetArrayInfo", 0, 0, true},
    {"raGetArrayDescription", 3, 0, false},
    {"raGetArrayStatus", 3, 0, false},
    {"raEnumerateDisksInArray", 1, RA_MAX_LIST, false},
    {"raRenameArray", 0, 0, false},
    {"raArrayRebuildDisk", 0, 0, false},
    {"raArraySynchronize", 0, 0, false},
    {"raCreateArray", 0, 0, false},
    {"raDeleteArray", 0, 0, false},
    {"raExpanConv", 0, 0, false},
    {"raEnumerateAllDisks", 1, RA_MAX_LIST, false},
    {"raGetDeviceName", 0, 0, true},
    {"raGetDiskStatus", 4, 0, false},
    {"raGetDiskDescription", 4, 0, false},
    {"raGetDiskTiming", 1, 0, false},
    {"raEnclosureType", 1, 0, false},
    {"raGetEnclosureStatus", 6, 0, false},
    {"raGetChargeStatus", 1, 0, false},
    {"raGetChargeCycle", 1, 0, false},
    {"raGetBatteryTemperature", 1, 0, false},
    {"raGetBatteryVoltage", 1, 0, false},
};

}  // namespace swkv::test
