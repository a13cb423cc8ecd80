/* The controller library's C interface.
 *
 * Every controller operation of the component goes through these functions; the library keeps
 * one controller open at a time. Every function returns a 32-bit status, 0 for success. Records
 * are packed little-endian layouts. A library may misbehave: the component never trusts a count,
 * a type or a text it returns. Names are at most 63 characters plus NUL. */
#ifndef SWKV_RAIDLIB_RAIDAPIKV9K_H
#define SWKV_RAIDLIB_RAIDAPIKV9K_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define RAAPI __stdcall
#else
#define RAAPI
#endif

#if defined(SWKV_BUILDING_RAIDLIB)
#if defined(_WIN32)
#define RAEXPORT __declspec(dllexport)
#else
#define RAEXPORT __attribute__((visibility("default")))
#endif
#else
#if defined(_WIN32)
#define RAEXPORT __declspec(dllimport)
#else
#define RAEXPORT
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)
typedef struct RaControllerInfo {
  uint32_t reserved0, bmb;
  int32_t irq;
  uint32_t reserved12, rba, reserved20, ataBase, hdmaBase, seqBase, mmioBase, sdramBase;
} RaControllerInfo;

typedef struct RaArrayInfo {
  char name[64];
  uint16_t cylinders, heads, sectorsPerTrack, pad;
  uint32_t sizeLow, sizeHigh;
} RaArrayInfo;

typedef struct RaEventRecord {
  int32_t code;
  uint32_t severityClass;
  uint8_t reserved[8];
  char text[128];
} RaEventRecord;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(RaControllerInfo) == 44, "controller information record is 44 bytes");
static_assert(sizeof(RaArrayInfo) == 80, "array information record is 80 bytes");
static_assert(sizeof(RaEventRecord) == 144, "event record is 144 bytes");
#else
_Static_assert(sizeof(RaControllerInfo) == 44, "controller information record is 44 bytes");
_Static_assert(sizeof(RaArrayInfo) == 80, "array information record is 80 bytes");
_Static_assert(sizeof(RaEventRecord) == 144, "event record is 144 bytes");
#endif

/* Room the caller gives for the lists and records the library fills. */
enum { RA_MAX_EVENTS = 20, RA_MAX_LIST = 8, RA_NAME_SIZE = 64, RA_VERSION_SIZE = 256 };

RAEXPORT int32_t RAAPI raInitialize(int32_t** selection); /* the address of the selection pointer */
RAEXPORT int32_t RAAPI raTerminate(int32_t* selection);   /* the selection pointer's value */
RAEXPORT int32_t RAAPI raNeedUpdate(int32_t* flag);
RAEXPORT int32_t RAAPI raGetEvents(RaEventRecord* records /* room for 20 */, int32_t* count);
RAEXPORT int32_t RAAPI raClearLog(void);
RAEXPORT int32_t RAAPI raGetControllerInfo(int32_t controller, RaControllerInfo* info);
RAEXPORT int32_t RAAPI raGetDriverVersion(char* version /* 256 */, char* second /* 256 */);
RAEXPORT int32_t RAAPI raGetMaxChannelsPerAdapter(int32_t* count);
RAEXPORT int32_t RAAPI raCheckBatteryBackModule(int32_t* present);
RAEXPORT int32_t RAAPI raCheckBatteryPack(int32_t* present);
RAEXPORT int32_t RAAPI raOriginalChannelCount(int32_t zero, int32_t* value);
RAEXPORT int32_t RAAPI raWriteCacheEnabled(int32_t zero, int32_t* value);
RAEXPORT int32_t RAAPI raHotSparesEnabled(int32_t zero, int32_t* value);
RAEXPORT int32_t RAAPI raGetRebuildRate(int32_t zero, int32_t* value);
RAEXPORT int32_t RAAPI raSetRebuildRate(int32_t zero, int32_t value);
RAEXPORT int32_t RAAPI raChannelThreshold(int32_t write, int32_t* value); /* 0 read, 1 write */
RAEXPORT int32_t RAAPI raSmartCheckEnabled(int32_t write, int32_t* value);
RAEXPORT int32_t RAAPI raReadThreshold(int32_t write, int32_t* value);
RAEXPORT int32_t RAAPI raWriteThreshold(int32_t write, int32_t* value);
RAEXPORT int32_t RAAPI raSubmitChannelThreshold(int32_t write, int32_t* value);
RAEXPORT int32_t RAAPI raWriteMode(int32_t write, int32_t* value);
RAEXPORT int32_t RAAPI raEnumerateAllArrays(uint32_t* count, uint32_t* logical /* room for 8 */);
RAEXPORT int32_t RAAPI raMapLogicalToPhysicalArray(uint32_t logical, uint32_t* physical);
RAEXPORT int32_t RAAPI raGetArrayInfo(uint32_t logical, RaArrayInfo* info);
RAEXPORT int32_t RAAPI raGetArrayDescription(uint32_t logical, int32_t* mode, int32_t* third,
                                             uint32_t* blockSectors);
RAEXPORT int32_t RAAPI raGetArrayStatus(uint32_t logical, uint32_t* state, uint32_t* activity,
                                        int32_t* progress);
RAEXPORT int32_t RAAPI raEnumerateDisksInArray(uint32_t logical, uint32_t* count,
                                               uint32_t* disks /* room for 8 */);
RAEXPORT int32_t RAAPI raRenameArray(uint32_t logical, const char* name);
RAEXPORT int32_t RAAPI raArrayRebuildDisk(uint32_t logical, uint32_t member, uint32_t mode);
RAEXPORT int32_t RAAPI raArraySynchronize(uint32_t logical, uint32_t mode);
RAEXPORT int32_t RAAPI raCreateArray(const char* name, int32_t mode, uint8_t count,
                                     const uint8_t* disks, int32_t last);
RAEXPORT int32_t RAAPI raDeleteArray(uint32_t logical);
RAEXPORT int32_t RAAPI raExpanConv(uint32_t logical, int32_t targetMode, uint32_t count,
                                   const uint32_t* disks, uint32_t blockSize, uint32_t commandMode);
RAEXPORT int32_t RAAPI raEnumerateAllDisks(uint32_t* count, uint32_t* disks /* room for 8 */);
RAEXPORT int32_t RAAPI raGetDeviceName(uint32_t disk, char* name /* room for 64, NUL included */);
RAEXPORT int32_t RAAPI raGetDiskStatus(uint32_t disk, uint32_t* array, uint32_t* state,
                                       uint32_t* activityKind, uint32_t* smart);
RAEXPORT int32_t RAAPI raGetDiskDescription(uint32_t disk, uint32_t* totalSectors,
                                            uint32_t* cylinders, uint32_t* heads,
                                            uint32_t* sectorsPerTrack);
RAEXPORT int32_t RAAPI raGetDiskTiming(uint32_t disk, int32_t* code);
RAEXPORT int32_t RAAPI raEnclosureType(uint32_t device, int32_t* type);
RAEXPORT int32_t RAAPI raGetEnclosureStatus(uint32_t device, int32_t* type, int32_t* spare,
                                            int32_t status[4]);
RAEXPORT int32_t RAAPI raGetChargeStatus(int32_t* code);
RAEXPORT int32_t RAAPI raGetChargeCycle(uint16_t* cycles);
RAEXPORT int32_t RAAPI raGetBatteryTemperature(uint16_t* temperature);
RAEXPORT int32_t RAAPI raGetBatteryVoltage(uint16_t* voltage);

#ifdef __cplusplus
}
#endif

#endif /* SWKV_RAIDLIB_RAIDAPIKV9K_H */
