// The controller library's own functions, as the linker names them for a program whose calls of
// raX it wraps (bench/CMakeLists.txt): __real_raX is the library's raX.
#pragma once

#include <stdint.h>

#include "raidlib/raidapikv9k.h"

extern "C" {

int32_t __real_raInitialize(int32_t** selection);
int32_t __real_raTerminate(int32_t* selection);
int32_t __real_raNeedUpdate(int32_t* flag);
int32_t __real_raGetEvents(RaEventRecord* records, int32_t* count);
int32_t __real_raClearLog();
int32_t __real_raGetControllerInfo(int32_t controller, RaControllerInfo* info);
int32_t __real_raGetDriverVersion(char* version, char* second);
int32_t __real_raGetMaxChannelsPerAdapter(int32_t* count);
int32_t __real_raCheckBatteryBackModule(int32_t* present);
int32_t __real_raCheckBatteryPack(int32_t* present);
int32_t __real_raOriginalChannelCount(int32_t zero, int32_t* value);
int32_t __real_raWriteCacheEnabled(int32_t zero, int32_t* value);
int32_t __real_raHotSparesEnabled(int32_t zero, int32_t* value);
int32_t __real_raGetRebuildRate(int32_t zero, int32_t* value);
int32_t __real_raSetRebuildRate(int32_t zero, int32_t value);
int32_t __real_raChannelThreshold(int32_t write, int32_t* value);
int32_t __real_raSmartCheckEnabled(int32_t write, int32_t* value);
int32_t __real_raReadThreshold(int32_t write, int32_t* value);
int32_t __real_raWriteThreshold(int32_t write, int32_t* value);
int32_t __real_raSubmitChannelThreshold(int32_t write, int32_t* value);
int32_t __real_raWriteMode(int32_t write, int32_t* value);
int32_t __real_raEnumerateAllArrays(uint32_t* count, uint32_t* logical);
int32_t __real_raMapLogicalToPhysicalArray(uint32_t logical, uint32_t* physical);
int32_t __real_raGetArrayInfo(uint32_t logical, RaArrayInfo* info);
int32_t __real_raGetArrayDescription(uint32_t logical, int32_t* mode, int32_t* third,
                                     uint32_t* blockSectors);
int32_t __real_raGetArrayStatus(uint32_t logical, uint32_t* state, uint32_t* activity,
                                int32_t* progress);
int32_t __real_raEnumerateDisksInArray(uint32_t logical, uint32_t* count, uint32_t* disks);
int32_t __real_raRenameArray(uint32_t logical, const char* name);
int32_t __real_raArrayRebuildDisk(uint32_t logical, uint32_t member, uint32_t mode);
int32_t __real_raArraySynchronize(uint32_t logical, uint32_t mode);
int32_t __real_raCreateArray(const char* name, int32_t mode, uint8_t count, const uint8_t* disks,
                             int32_t last);
int32_t __real_raDeleteArray(uint32_t logical);
int32_t __real_raExpanConv(uint32_t logical, int32_t targetMode, uint32_t count,
                           const uint32_t* disks, uint32_t blockSize, uint32_t commandMode);
int32_t __real_raEnumerateAllDisks(uint32_t* count, uint32_t* disks);
int32_t __real_raGetDeviceName(uint32_t disk, char* name);
int32_t __real_raGetDiskStatus(uint32_t disk, uint32_t* array, uint32_t* state,
                               uint32_t* activityKind, uint32_t* smart);
int32_t __real_raGetDiskDescription(uint32_t disk, uint32_t* totalSectors, uint32_t* cylinders,
                                    uint32_t* heads, uint32_t* sectorsPerTrack);
int32_t __real_raGetDiskTiming(uint32_t disk, int32_t* code);
int32_t __real_raEnclosureType(uint32_t device, int32_t* type);
int32_t __real_raGetEnclosureStatus(uint32_t device, int32_t* type, int32_t* spare,
                                    int32_t* status);
int32_t __real_raGetChargeStatus(int32_t* code);
int32_t __real_raGetChargeCycle(uint16_t* cycles);
int32_t __real_raGetBatteryTemperature(uint16_t* temperature);
int32_t __real_raGetBatteryVoltage(uint16_t* voltage);

}  // extern "C"
