// The disk, drive bay and battery calls.
#include "sim/call.h"
#include "sim/fill.h"
#include "sim/rules.h"
#include "sim/sim_control.h"

using namespace swkv::sim;

namespace {

// Bay device numbers are global: the first controller's bays are devices 0 to 7 (its channels 0
// to 3), the second controller's 8 to 15, whichever controller is open.
constexpr uint32_t kBayDevices = kMaxControllers * kDisksPerController;

int ControllerOfDevice(uint32_t device) {
  return device < kBayDevices ? static_cast<int>(device / kDisksPerController) : -1;
}

// The disk of the open controller, or null when it is not there.
const Disk* PresentDisk(const Context& ctx, uint32_t disk) {
  if (disk >= kDisksPerController) return nullptr;
  const Disk& d = ctx.controller->disks[disk];
  return d.present ? &d : nullptr;
}

const Battery* PresentBattery(const Context& ctx) {
  const Battery& b = ctx.controller->battery;
  return b.module && b.pack ? &b : nullptr;
}

}  // namespace

extern "C" {

RAEXPORT int32_t RAAPI raEnumerateAllDisks(uint32_t* count, uint32_t* disks) {
  return Call(Fn::EnumerateAllDisks, Args(count, disks)).Outputs(count).Run([&](Context& ctx) {
    if (!disks) return int32_t{SIM_E_ARGUMENT};
    std::vector<uint32_t> list;
    for (uint32_t i = 0; i < kDisksPerController; ++i) {
      if (ctx.controller->disks[i].present) list.push_back(i);
    }
    FillList(disks, count, list, ctx.effect);
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetDeviceName(uint32_t disk, char* name) {
  // The name's first byte counts as its output: a misbehaving library can name a disk "".
  return Call(Fn::GetDeviceName, Args(disk, name)).Outputs(name).Run([&](Context& ctx) {
    const Disk* d = PresentDisk(ctx, disk);
    if (!d) return int32_t{SIM_E_NO_OBJECT};
    FillText(name, RA_NAME_SIZE, d->model, ctx.effect.unterminated);
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetDiskStatus(uint32_t disk, uint32_t* array, uint32_t* state,
                                       uint32_t* activityKind, uint32_t* smart) {
  return Call(Fn::GetDiskStatus, Args(disk, array, state, activityKind, smart))
      .Outputs(array, state, activityKind, smart)
      .Run([&](Context& ctx) {
        const Disk* d = PresentDisk(ctx, disk);
        if (!d) return int32_t{SIM_E_NO_OBJECT};
        // The array is given by its logical number, as the array calls take it.
        const Array* owner = d->array >= 0 ? ctx.controller->FindPhysical(d->array) : nullptr;
        *array = owner ? owner->logical : kNoArray;
        *state = d->state;
        *activityKind = DiskActivityOf(*ctx.controller, static_cast<int>(disk));
        *smart = d->smart;
        return 0;
      });
}

RAEXPORT int32_t RAAPI raGetDiskDescription(uint32_t disk, uint32_t* totalSectors,
                                            uint32_t* cylinders, uint32_t* heads,
                                            uint32_t* sectorsPerTrack) {
  return Call(Fn::GetDiskDescription, Args(disk, totalSectors, cylinders, heads, sectorsPerTrack))
      .Outputs(totalSectors, cylinders, heads, sectorsPerTrack)
      .Run([&](Context& ctx) {
        const Disk* d = PresentDisk(ctx, disk);
        if (!d) return int32_t{SIM_E_NO_OBJECT};
        *totalSectors = d->sectors;
        *cylinders = d->cylinders;
        *heads = d->heads;
        *sectorsPerTrack = d->sectorsPerTrack;
        return 0;
      });
}

RAEXPORT int32_t RAAPI raGetDiskTiming(uint32_t disk, int32_t* code) {
  return Call(Fn::GetDiskTiming, Args(disk, code)).Outputs(code).Run([&](Context& ctx) {
    const Disk* d = PresentDisk(ctx, disk);
    if (!d) return int32_t{SIM_E_NO_OBJECT};
    *code = d->timing;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raEnclosureType(uint32_t device, int32_t* type) {
  return Call(Fn::EnclosureType, Args(device, type))
      .On(ControllerOfDevice(device))
      .Outputs(type)
      .Run([&](Context& ctx) {
        if (!ctx.controller) return int32_t{SIM_E_NO_OBJECT};
        // A bay answers as its channel's master device.
        uint32_t local = device % kDisksPerController;
        *type = local % 2 == 0 ? ctx.controller->bays[local / 2].type : kBayNone;
        return 0;
      });
}

RAEXPORT int32_t RAAPI raGetEnclosureStatus(uint32_t device, int32_t* type, int32_t* spare,
                                            int32_t status[4]) {
  Call call(Fn::GetEnclosureStatus, Args(device, type, spare, status));
  call.On(ControllerOfDevice(device)).Outputs(type, spare);
  if (status) call.Outputs(&status[0], &status[1], &status[2], &status[3]);
  return call.Run([&](Context& ctx) {
    if (!status) return int32_t{SIM_E_ARGUMENT};
    if (!ctx.controller) return int32_t{SIM_E_NO_OBJECT};
    uint32_t local = device % kDisksPerController;
    const Bay& bay = ctx.controller->bays[local / 2];
    // No bay at this device: type -1 and no readings. A bay without sensors gives its type only.
    *type = local % 2 != 0 || bay.type == kBayNone ? -1 : bay.type;
    *spare = 0;
    bool sensors = *type >= kQuickBay && *type <= kOmniBay;
    status[0] = sensors ? bay.fan : kNoReading;
    status[1] = sensors ? bay.temperature : kNoReading;
    status[2] = sensors ? bay.power5V : kNoReading;
    status[3] = sensors ? bay.power12V : kNoReading;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetChargeStatus(int32_t* code) {
  return Call(Fn::GetChargeStatus, Args(code)).Outputs(code).Run([&](Context& ctx) {
    const Battery* b = PresentBattery(ctx);
    if (!b) return int32_t{SIM_E_NO_OBJECT};
    *code = b->chargeStatus;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetChargeCycle(uint16_t* cycles) {
  return Call(Fn::GetChargeCycle, Args(cycles)).Outputs(cycles).Run([&](Context& ctx) {
    const Battery* b = PresentBattery(ctx);
    if (!b) return int32_t{SIM_E_NO_OBJECT};
    *cycles = b->cycles;
    return 0;
  });
}

RAEXPORT int32_t RAAPI raGetBatteryTemperature(uint16_t* temperature) {
  return Call(Fn::GetBatteryTemperature, Args(temperature))
      .Outputs(temperature)
      .Run([&](Context& ctx) {
        const Battery* b = PresentBattery(ctx);
        if (!b) return int32_t{SIM_E_NO_OBJECT};
        *temperature = b->temperature;
        return 0;
      });
}

RAEXPORT int32_t RAAPI raGetBatteryVoltage(uint16_t* voltage) {
  return Call(Fn::GetBatteryVoltage, Args(voltage)).Outputs(voltage).Run([&](Context& ctx) {
    const Battery* b = PresentBattery(ctx);
    if (!b) return int32_t{SIM_E_NO_OBJECT};
    *voltage = b->voltage;
    return 0;
  });
}

}  // extern "C"
