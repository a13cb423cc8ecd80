#include "bench/library_shim.h"

#include <array>
#include <initializer_list>

#include "bench/library_real.h"
#include "raidlib/raidapikv9k.h"

namespace swkv::bench {

namespace {

std::vector<RecordedCall>* g_recording = nullptr;

template <class Item = std::uint32_t>
void Record(Fn fn, std::initializer_list<std::int64_t> args, const char* text,
            const Item* list = nullptr, std::uint32_t count = 0) {
  if (!g_recording) return;
  RecordedCall call{fn, args, text ? text : "", {}};
  if (list) call.list.assign(list, list + count);
  g_recording->push_back(std::move(call));
}

}  // namespace

CallRecorder::CallRecorder() {
  m_calls.reserve(4096);
  g_recording = &m_calls;
}

CallRecorder::~CallRecorder() { Stop(); }

std::vector<RecordedCall> CallRecorder::Stop() {
  if (!m_recording) return {};
  m_recording = false;
  g_recording = nullptr;
  return std::move(m_calls);
}

}  // namespace swkv::bench

using swkv::bench::Fn;
using swkv::bench::Record;

// The wrappers: the component's calls of raX arrive at __wrap_raX, which records them when asked
// and passes them on to the library's raX (__real_raX).
extern "C" {

int32_t __wrap_raInitialize(int32_t** selection) {
  Record(Fn::Initialize, {static_cast<std::int64_t>(selection && *selection ? **selection : -1)},
         nullptr);
  return __real_raInitialize(selection);
}

int32_t __wrap_raTerminate(int32_t* selection) {
  Record(Fn::Terminate, {static_cast<std::int64_t>(selection ? *selection : -1)}, nullptr);
  return __real_raTerminate(selection);
}

int32_t __wrap_raNeedUpdate(int32_t* flag) {
  Record(Fn::NeedUpdate, {}, nullptr);
  return __real_raNeedUpdate(flag);
}

int32_t __wrap_raGetEvents(RaEventRecord* records, int32_t* count) {
  Record(Fn::GetEvents, {}, nullptr);
  return __real_raGetEvents(records, count);
}

int32_t __wrap_raClearLog() {
  Record(Fn::ClearLog, {}, nullptr);
  return __real_raClearLog();
}

int32_t __wrap_raGetControllerInfo(int32_t controller, RaControllerInfo* info) {
  Record(Fn::GetControllerInfo, {static_cast<std::int64_t>(controller)}, nullptr);
  return __real_raGetControllerInfo(controller, info);
}

int32_t __wrap_raGetDriverVersion(char* version, char* second) {
  Record(Fn::GetDriverVersion, {}, nullptr);
  return __real_raGetDriverVersion(version, second);
}

int32_t __wrap_raGetMaxChannelsPerAdapter(int32_t* count) {
  Record(Fn::GetMaxChannelsPerAdapter, {}, nullptr);
  return __real_raGetMaxChannelsPerAdapter(count);
}

int32_t __wrap_raCheckBatteryBackModule(int32_t* present) {
  Record(Fn::CheckBatteryBackModule, {}, nullptr);
  return __real_raCheckBatteryBackModule(present);
}

int32_t __wrap_raCheckBatteryPack(int32_t* present) {
  Record(Fn::CheckBatteryPack, {}, nullptr);
  return __real_raCheckBatteryPack(present);
}

int32_t __wrap_raOriginalChannelCount(int32_t zero, int32_t* value) {
  Record(Fn::OriginalChannelCount, {static_cast<std::int64_t>(zero)}, nullptr);
  return __real_raOriginalChannelCount(zero, value);
}

int32_t __wrap_raWriteCacheEnabled(int32_t zero, int32_t* value) {
  Record(Fn::WriteCacheEnabled, {static_cast<std::int64_t>(zero)}, nullptr);
  return __real_raWriteCacheEnabled(zero, value);
}

int32_t __wrap_raHotSparesEnabled(int32_t zero, int32_t* value) {
  Record(Fn::HotSparesEnabled, {static_cast<std::int64_t>(zero)}, nullptr);
  return __real_raHotSparesEnabled(zero, value);
}

int32_t __wrap_raGetRebuildRate(int32_t zero, int32_t* value) {
  Record(Fn::GetRebuildRate, {static_cast<std::int64_t>(zero)}, nullptr);
  return __real_raGetRebuildRate(zero, value);
}

int32_t __wrap_raSetRebuildRate(int32_t zero, int32_t value) {
  Record(Fn::SetRebuildRate, {static_cast<std::int64_t>(zero), static_cast<std::int64_t>(value)},
         nullptr);
  return __real_raSetRebuildRate(zero, value);
}

int32_t __wrap_raChannelThreshold(int32_t write, int32_t* value) {
  Record(Fn::ChannelThreshold,
         {static_cast<std::int64_t>(write), static_cast<std::int64_t>(value ? *value : 0)},
         nullptr);
  return __real_raChannelThreshold(write, value);
}

int32_t __wrap_raSmartCheckEnabled(int32_t write, int32_t* value) {
  Record(Fn::SmartCheckEnabled,
         {static_cast<std::int64_t>(write), static_cast<std::int64_t>(value ? *value : 0)},
         nullptr);
  return __real_raSmartCheckEnabled(write, value);
}

int32_t __wrap_raReadThreshold(int32_t write, int32_t* value) {
  Record(Fn::ReadThreshold,
         {static_cast<std::int64_t>(write), static_cast<std::int64_t>(value ? *value : 0)},
         nullptr);
  return __real_raReadThreshold(write, value);
}

int32_t __wrap_raWriteThreshold(int32_t write, int32_t* value) {
  Record(Fn::WriteThreshold,
         {static_cast<std::int64_t>(write), static_cast<std::int64_t>(value ? *value : 0)},
         nullptr);
  return __real_raWriteThreshold(write, value);
}

int32_t __wrap_raSubmitChannelThreshold(int32_t write, int32_t* value) {
  Record(Fn::SubmitChannelThreshold,
         {static_cast<std::int64_t>(write), static_cast<std::int64_t>(value ? *value : 0)},
         nullptr);
  return __real_raSubmitChannelThreshold(write, value);
}

int32_t __wrap_raWriteMode(int32_t write, int32_t* value) {
  Record(Fn::WriteMode,
         {static_cast<std::int64_t>(write), static_cast<std::int64_t>(value ? *value : 0)},
         nullptr);
  return __real_raWriteMode(write, value);
}

int32_t __wrap_raEnumerateAllArrays(uint32_t* count, uint32_t* logical) {
  Record(Fn::EnumerateAllArrays, {}, nullptr);
  return __real_raEnumerateAllArrays(count, logical);
}

int32_t __wrap_raMapLogicalToPhysicalArray(uint32_t logical, uint32_t* physical) {
  Record(Fn::MapLogicalToPhysicalArray, {static_cast<std::int64_t>(logical)}, nullptr);
  return __real_raMapLogicalToPhysicalArray(logical, physical);
}

int32_t __wrap_raGetArrayInfo(uint32_t logical, RaArrayInfo* info) {
  Record(Fn::GetArrayInfo, {static_cast<std::int64_t>(logical)}, nullptr);
  return __real_raGetArrayInfo(logical, info);
}

int32_t __wrap_raGetArrayDescription(uint32_t logical, int32_t* mode, int32_t* third,
                                     uint32_t* blockSectors) {
  Record(Fn::GetArrayDescription, {static_cast<std::int64_t>(logical)}, nullptr);
  return __real_raGetArrayDescription(logical, mode, third, blockSectors);
}

int32_t __wrap_raGetArrayStatus(uint32_t logical, uint32_t* state, uint32_t* activity,
                                int32_t* progress) {
  Record(Fn::GetArrayStatus, {static_cast<std::int64_t>(logical)}, nullptr);
  return __real_raGetArrayStatus(logical, state, activity, progress);
}

int32_t __wrap_raEnumerateDisksInArray(uint32_t logical, uint32_t* count, uint32_t* disks) {
  Record(Fn::EnumerateDisksInArray, {static_cast<std::int64_t>(logical)}, nullptr);
  return __real_raEnumerateDisksInArray(logical, count, disks);
}

int32_t __wrap_raRenameArray(uint32_t logical, const char* name) {
  Record(Fn::RenameArray, {static_cast<std::int64_t>(logical)}, name);
  return __real_raRenameArray(logical, name);
}

int32_t __wrap_raArrayRebuildDisk(uint32_t logical, uint32_t member, uint32_t mode) {
  Record(Fn::ArrayRebuildDisk,
         {static_cast<std::int64_t>(logical), static_cast<std::int64_t>(member),
          static_cast<std::int64_t>(mode)},
         nullptr);
  return __real_raArrayRebuildDisk(logical, member, mode);
}

int32_t __wrap_raArraySynchronize(uint32_t logical, uint32_t mode) {
  Record(Fn::ArraySynchronize,
         {static_cast<std::int64_t>(logical), static_cast<std::int64_t>(mode)}, nullptr);
  return __real_raArraySynchronize(logical, mode);
}

int32_t __wrap_raCreateArray(const char* name, int32_t mode, uint8_t count, const uint8_t* disks,
                             int32_t last) {
  Record(Fn::CreateArray,
         {static_cast<std::int64_t>(mode), static_cast<std::int64_t>(count),
          static_cast<std::int64_t>(last)},
         name, disks, count);
  return __real_raCreateArray(name, mode, count, disks, last);
}

int32_t __wrap_raDeleteArray(uint32_t logical) {
  Record(Fn::DeleteArray, {static_cast<std::int64_t>(logical)}, nullptr);
  return __real_raDeleteArray(logical);
}

int32_t __wrap_raExpanConv(uint32_t logical, int32_t targetMode, uint32_t count,
                           const uint32_t* disks, uint32_t blockSize, uint32_t commandMode) {
  Record(Fn::ExpanConv,
         {static_cast<std::int64_t>(logical), static_cast<std::int64_t>(targetMode),
          static_cast<std::int64_t>(count), static_cast<std::int64_t>(blockSize),
          static_cast<std::int64_t>(commandMode)},
         nullptr, disks, count);
  return __real_raExpanConv(logical, targetMode, count, disks, blockSize, commandMode);
}

int32_t __wrap_raEnumerateAllDisks(uint32_t* count, uint32_t* disks) {
  Record(Fn::EnumerateAllDisks, {}, nullptr);
  return __real_raEnumerateAllDisks(count, disks);
}

int32_t __wrap_raGetDeviceName(uint32_t disk, char* name) {
  Record(Fn::GetDeviceName, {static_cast<std::int64_t>(disk)}, nullptr);
  return __real_raGetDeviceName(disk, name);
}

int32_t __wrap_raGetDiskStatus(uint32_t disk, uint32_t* array, uint32_t* state,
                               uint32_t* activityKind, uint32_t* smart) {
  Record(Fn::GetDiskStatus, {static_cast<std::int64_t>(disk)}, nullptr);
  return __real_raGetDiskStatus(disk, array, state, activityKind, smart);
}

int32_t __wrap_raGetDiskDescription(uint32_t disk, uint32_t* totalSectors, uint32_t* cylinders,
                                    uint32_t* heads, uint32_t* sectorsPerTrack) {
  Record(Fn::GetDiskDescription, {static_cast<std::int64_t>(disk)}, nullptr);
  return __real_raGetDiskDescription(disk, totalSectors, cylinders, heads, sectorsPerTrack);
}

int32_t __wrap_raGetDiskTiming(uint32_t disk, int32_t* code) {
  Record(Fn::GetDiskTiming, {static_cast<std::int64_t>(disk)}, nullptr);
  return __real_raGetDiskTiming(disk, code);
}

int32_t __wrap_raEnclosureType(uint32_t device, int32_t* type) {
  Record(Fn::EnclosureType, {static_cast<std::int64_t>(device)}, nullptr);
  return __real_raEnclosureType(device, type);
}

int32_t __wrap_raGetEnclosureStatus(uint32_t device, int32_t* type, int32_t* spare,
                                    int32_t* status) {
  Record(Fn::GetEnclosureStatus, {static_cast<std::int64_t>(device)}, nullptr);
  return __real_raGetEnclosureStatus(device, type, spare, status);
}

int32_t __wrap_raGetChargeStatus(int32_t* code) {
  Record(Fn::GetChargeStatus, {}, nullptr);
  return __real_raGetChargeStatus(code);
}

int32_t __wrap_raGetChargeCycle(uint16_t* cycles) {
  Record(Fn::GetChargeCycle, {}, nullptr);
  return __real_raGetChargeCycle(cycles);
}

int32_t __wrap_raGetBatteryTemperature(uint16_t* temperature) {
  Record(Fn::GetBatteryTemperature, {}, nullptr);
  return __real_raGetBatteryTemperature(temperature);
}

int32_t __wrap_raGetBatteryVoltage(uint16_t* voltage) {
  Record(Fn::GetBatteryVoltage, {}, nullptr);
  return __real_raGetBatteryVoltage(voltage);
}

}  // extern "C"
