// The array calls: enumeration, information and status, and the configuration changes.
#include <algorithm>
#include <cstring>

#include "sim/call.h"
#include "sim/fill.h"
#include "sim/rules.h"
#include "sim/sim_control.h"

using namespace swkv::sim;

namespace {

std::vector<int> Disks(const uint32_t* disks, uint32_t count) {
  std::vector<int> list;
  for (uint32_t i = 0; i < count; ++i) list.push_back(static_cast<int>(std::min(disks[i], 255u)));
  return list;
}

}  // namespace

extern "C" {

RAEXPORT int32_t RAAPI raEnumerateAllArrays(uint32_t* count, uint32_t* logical) {
  return Call(Fn::EnumerateAllArrays, Args(count, logical)).Outputs(count).Run([&](Context& ctx) {
    if (!logical) return int32_t{SIM_E_ARGUMENT};
    std::vector<uint32_t> list;
    for (const Array& a : ctx.controller->arrays) list.push_back(a.logical);
    FillList(logical, count, list, ctx.effect);
    return 0;
  });
}

RAEXPORT int32_t RAAPI raMapLogicalToPhysicalArray(uint32_t logical, uint32_t* physical) {
  return Call(Fn::MapLogicalToPhysicalArray, Args(logical, physical))
      .Outputs(physical)
      .Run([&](Context& ctx) {
        const Array* a = ctx.controller->FindLogical(logical);
        if (!a) return int32_t{SIM_E_NO_OBJECT};
        *physical = a->physical;
        return 0;
      });
}

RAEXPORT int32_t RAAPI raGetArrayInfo(uint32_t logical, RaArrayInfo* info) {
  return Call(Fn::GetArrayInfo, Args(logical, info)).Run([&](Context& ctx) {
    if (!info) return int32_t{SIM_E_ARGUMENT};
    const Array* a = ctx.controller->FindLogical(logical);
    if (!a) return int32_t{SIM_E_NO_OBJECT};
    std::memset(info, 0, sizeof *info);
    FillText(info->name, sizeof info->name, a->name, ctx.effect.unterminated);
    info->cylinders = ArrayCylinders(*a);
    info->heads = 255;
    info->sectorsPerTrack = 63;
    uint64_t bytes = a->sectors * 512;
    info->sizeLow = static_cast<uint32_t>(bytes);
    info->sizeHigh = static_cast<uint32_t>(bytes >> 32);
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetArrayDescription(uint32_t logical, int32_t* mode, int32_t* third,
                                             uint32_t* blockSectors) {
  // The third value is the number of members.
  return Call(Fn::GetArrayDescription, Args(logical, mode, third, blockSectors))
      .Outputs(mode, third, blockSectors)
      .Run([&](Context& ctx) {
        const Array* a = ctx.controller->FindLogical(logical);
        if (!a) return int32_t{SIM_E_NO_OBJECT};
        *mode = a->mode;
        *third = static_cast<int32_t>(a->members.size());
        *blockSectors = a->blockSectors;
        return 0;
      });
}

RAEXPORT int32_t RAAPI raGetArrayStatus(uint32_t logical, uint32_t* state, uint32_t* activity,
                                        int32_t* progress) {
  return Call(Fn::GetArrayStatus, Args(logical, state, activity, progress))
      .Outputs(state, activity, progress)
      .Run([&](Context& ctx) {
        const Array* a = ctx.controller->FindLogical(logical);
        if (!a) return int32_t{SIM_E_NO_OBJECT};
        *state = ArrayStateOf(*ctx.controller, *a);
        *activity = ActivityCodeOf(*a);
        *progress = ProgressOf(*a, ctx.now);
        return 0;
      });
}

RAEXPORT int32_t RAAPI raEnumerateDisksInArray(uint32_t logical, uint32_t* count, uint32_t* disks) {
  return Call(Fn::EnumerateDisksInArray, Args(logical, count, disks))
      .Outputs(count)
      .Run([&](Context& ctx) {
        if (!disks) return int32_t{SIM_E_ARGUMENT};
        const Array* a = ctx.controller->FindLogical(logical);
        if (!a) return int32_t{SIM_E_NO_OBJECT};
        FillList(disks, count, ListedMembers(*ctx.controller, *a), ctx.effect);
        return 0;
      });
}

RAEXPORT int32_t RAAPI raRenameArray(uint32_t logical, const char* name) {
  return Call(Fn::RenameArray, Args(logical) + ", " + Quoted(name)).Run([&](Context& ctx) {
    if (!name) return int32_t{SIM_E_ARGUMENT};
    return RenameArray(*ctx.controller, logical, name);
  });
}

RAEXPORT int32_t RAAPI raArrayRebuildDisk(uint32_t logical, uint32_t member, uint32_t mode) {
  return Call(Fn::ArrayRebuildDisk, Args(logical, member, mode)).Run([&](Context& ctx) {
    return RebuildArray(*ctx.controller, ctx.now, logical, member, mode);
  });
}

RAEXPORT int32_t RAAPI raArraySynchronize(uint32_t logical, uint32_t mode) {
  return Call(Fn::ArraySynchronize, Args(logical, mode)).Run([&](Context& ctx) {
    return SynchroniseArray(*ctx.controller, ctx.now, logical, mode);
  });
}

RAEXPORT int32_t RAAPI raCreateArray(const char* name, int32_t mode, uint8_t count,
                                     const uint8_t* disks, int32_t last) {
  // The last value is the block (stripe) size in 512-byte sectors; 0 takes the default (64 KB).
  std::string args = Quoted(name) + ", " + Args(mode, count) + ", " + List(disks, count) + ", " +
                     std::to_string(last);
  return Call(Fn::CreateArray, args).Run([&](Context& ctx) {
    if (!name || (count > 0 && !disks)) return int32_t{SIM_E_ARGUMENT};
    std::vector<int> list(disks, disks + count);
    return CreateArray(*ctx.controller, ctx.now, name, mode, list, last);
  });
}

RAEXPORT int32_t RAAPI raDeleteArray(uint32_t logical) {
  return Call(Fn::DeleteArray, Args(logical)).Run([&](Context& ctx) {
    return DeleteArray(*ctx.controller, logical);
  });
}

RAEXPORT int32_t RAAPI raExpanConv(uint32_t logical, int32_t targetMode, uint32_t count,
                                   const uint32_t* disks, uint32_t blockSize,
                                   uint32_t commandMode) {
  // The block size is in 512-byte sectors, as raGetArrayDescription reports it; 0 keeps the
  // array's own. The disks are the new member list: every member and the disks to add.
  std::string args = Args(logical, targetMode, count) + ", " + List(disks, count) + ", " +
                     Args(blockSize, commandMode);
  return Call(Fn::ExpanConv, args).Run([&](Context& ctx) {
    std::vector<int> list;
    if (commandMode == kCommandStart) {
      if (count > RA_MAX_LIST || (count > 0 && !disks)) return int32_t{SIM_E_ARGUMENT};
      list = Disks(disks, count);
    }
    return ConvertArray(*ctx.controller, ctx.now, logical, targetMode, list, blockSize,
                        commandMode);
  });
}

}  // extern "C"
