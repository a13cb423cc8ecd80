// The calls an operation made, made again on the library directly: what they cost without the
// component around them.
#include <array>
#include <vector>

#include "bench/library_real.h"
#include "bench/library_shim.h"

namespace swkv::bench {

namespace {

// Where the selection pointer of a replayed raInitialize points: a slot that lives on, as the
// component's own do.
std::int32_t& Slot(std::int64_t index) {
  static std::array<std::int32_t, 3> slots{};
  return slots[index == 0 ? 0 : index == 1 ? 1 : 2];
}

// What the library writes during a replay.
struct Scratch {
  std::array<RaEventRecord, RA_MAX_EVENTS> events;
  RaControllerInfo info;
  RaArrayInfo array;
  std::array<std::array<char, RA_VERSION_SIZE>, 2> text;
  std::array<std::array<std::uint32_t, RA_MAX_LIST>, 4> u32;
  std::array<std::int32_t, 6> i32;
  std::uint16_t u16;
};

}  // namespace

void Replay(const std::vector<RecordedCall>& calls) {
  static Scratch s;
  for (const RecordedCall& call : calls) {
    switch (call.fn) {
      case Fn::Initialize: {
        Slot(call.args[0]) = static_cast<std::int32_t>(call.args[0]);
        std::int32_t* selection = &Slot(call.args[0]);
        __real_raInitialize(&selection);
        break;
      }
      case Fn::Terminate: {
        std::int32_t selection = static_cast<std::int32_t>(call.args[0]);
        __real_raTerminate(&selection);
        break;
      }
      case Fn::NeedUpdate: {
        __real_raNeedUpdate(&s.i32[0]);
        break;
      }
      case Fn::GetEvents: {
        __real_raGetEvents(s.events.data(), &s.i32[0]);
        break;
      }
      case Fn::ClearLog: {
        __real_raClearLog();
        break;
      }
      case Fn::GetControllerInfo: {
        __real_raGetControllerInfo(static_cast<int32_t>(call.args[0]), &s.info);
        break;
      }
      case Fn::GetDriverVersion: {
        __real_raGetDriverVersion(s.text[0].data(), s.text[1].data());
        break;
      }
      case Fn::GetMaxChannelsPerAdapter: {
        __real_raGetMaxChannelsPerAdapter(&s.i32[0]);
        break;
      }
      case Fn::CheckBatteryBackModule: {
        __real_raCheckBatteryBackModule(&s.i32[0]);
        break;
      }
      case Fn::CheckBatteryPack: {
        __real_raCheckBatteryPack(&s.i32[0]);
        break;
      }
      case Fn::OriginalChannelCount: {
        __real_raOriginalChannelCount(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::WriteCacheEnabled: {
        __real_raWriteCacheEnabled(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::HotSparesEnabled: {
        __real_raHotSparesEnabled(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::GetRebuildRate: {
        __real_raGetRebuildRate(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::SetRebuildRate: {
        __real_raSetRebuildRate(static_cast<int32_t>(call.args[0]),
                                static_cast<int32_t>(call.args[1]));
        break;
      }
      case Fn::ChannelThreshold: {
        s.i32[0] = static_cast<std::int32_t>(call.args[1]);
        __real_raChannelThreshold(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::SmartCheckEnabled: {
        s.i32[0] = static_cast<std::int32_t>(call.args[1]);
        __real_raSmartCheckEnabled(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::ReadThreshold: {
        s.i32[0] = static_cast<std::int32_t>(call.args[1]);
        __real_raReadThreshold(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::WriteThreshold: {
        s.i32[0] = static_cast<std::int32_t>(call.args[1]);
        __real_raWriteThreshold(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::SubmitChannelThreshold: {
        s.i32[0] = static_cast<std::int32_t>(call.args[1]);
        __real_raSubmitChannelThreshold(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::WriteMode: {
        s.i32[0] = static_cast<std::int32_t>(call.args[1]);
        __real_raWriteMode(static_cast<int32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::EnumerateAllArrays: {
        __real_raEnumerateAllArrays(s.u32[0].data(), s.u32[1].data());
        break;
      }
      case Fn::MapLogicalToPhysicalArray: {
        __real_raMapLogicalToPhysicalArray(static_cast<uint32_t>(call.args[0]), s.u32[0].data());
        break;
      }
      case Fn::GetArrayInfo: {
        __real_raGetArrayInfo(static_cast<uint32_t>(call.args[0]), &s.array);
        break;
      }
      case Fn::GetArrayDescription: {
        __real_raGetArrayDescription(static_cast<uint32_t>(call.args[0]), &s.i32[0], &s.i32[1],
                                     s.u32[0].data());
        break;
      }
      case Fn::GetArrayStatus: {
        __real_raGetArrayStatus(static_cast<uint32_t>(call.args[0]), s.u32[0].data(),
                                s.u32[1].data(), &s.i32[0]);
        break;
      }
      case Fn::EnumerateDisksInArray: {
        __real_raEnumerateDisksInArray(static_cast<uint32_t>(call.args[0]), s.u32[0].data(),
                                       s.u32[1].data());
        break;
      }
      case Fn::RenameArray: {
        __real_raRenameArray(static_cast<uint32_t>(call.args[0]), call.text.c_str());
        break;
      }
      case Fn::ArrayRebuildDisk: {
        __real_raArrayRebuildDisk(static_cast<uint32_t>(call.args[0]),
                                  static_cast<uint32_t>(call.args[1]),
                                  static_cast<uint32_t>(call.args[2]));
        break;
      }
      case Fn::ArraySynchronize: {
        __real_raArraySynchronize(static_cast<uint32_t>(call.args[0]),
                                  static_cast<uint32_t>(call.args[1]));
        break;
      }
      case Fn::CreateArray: {
        std::vector<std::uint8_t> disks(call.list.begin(), call.list.end());
        __real_raCreateArray(call.text.c_str(), static_cast<int32_t>(call.args[0]),
                             static_cast<uint8_t>(call.args[1]), disks.data(),
                             static_cast<int32_t>(call.args[2]));
        break;
      }
      case Fn::DeleteArray: {
        __real_raDeleteArray(static_cast<uint32_t>(call.args[0]));
        break;
      }
      case Fn::ExpanConv: {
        __real_raExpanConv(static_cast<uint32_t>(call.args[0]), static_cast<int32_t>(call.args[1]),
                           static_cast<uint32_t>(call.args[2]), call.list.data(),
                           static_cast<uint32_t>(call.args[3]),
                           static_cast<uint32_t>(call.args[4]));
        break;
      }
      case Fn::EnumerateAllDisks: {
        __real_raEnumerateAllDisks(s.u32[0].data(), s.u32[1].data());
        break;
      }
      case Fn::GetDeviceName: {
        __real_raGetDeviceName(static_cast<uint32_t>(call.args[0]), s.text[0].data());
        break;
      }
      case Fn::GetDiskStatus: {
        __real_raGetDiskStatus(static_cast<uint32_t>(call.args[0]), s.u32[0].data(),
                               s.u32[1].data(), s.u32[2].data(), s.u32[3].data());
        break;
      }
      case Fn::GetDiskDescription: {
        __real_raGetDiskDescription(static_cast<uint32_t>(call.args[0]), s.u32[0].data(),
                                    s.u32[1].data(), s.u32[2].data(), s.u32[3].data());
        break;
      }
      case Fn::GetDiskTiming: {
        __real_raGetDiskTiming(static_cast<uint32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::EnclosureType: {
        __real_raEnclosureType(static_cast<uint32_t>(call.args[0]), &s.i32[0]);
        break;
      }
      case Fn::GetEnclosureStatus: {
        __real_raGetEnclosureStatus(static_cast<uint32_t>(call.args[0]), &s.i32[0], &s.i32[1],
                                    &s.i32[2]);
        break;
      }
      case Fn::GetChargeStatus: {
        __real_raGetChargeStatus(&s.i32[0]);
        break;
      }
      case Fn::GetChargeCycle: {
        __real_raGetChargeCycle(&s.u16);
        break;
      }
      case Fn::GetBatteryTemperature: {
        __real_raGetBatteryTemperature(&s.u16);
        break;
      }
      case Fn::GetBatteryVoltage: {
        __real_raGetBatteryVoltage(&s.u16);
        break;
      }
      case Fn::Count:
        break;
    }
  }
}

}  // namespace swkv::bench
