// Hardware happenings: disks that fail, are pulled or plugged in, SMART alarms and bay readings,
// with what the controller does about them.
#include "sim/rules.h"
#include "sim/sim_control.h"

namespace swkv::sim {

namespace {

Array* ArrayOf(Controller& c, const Disk& d) {
  return d.array >= 0 ? c.FindPhysical(d.array) : nullptr;
}

// A working member stopped serving its array (before: the array's state until then). Whatever
// the array was doing stops, and a state change is reported.
void LoseMember(Controller& c, Array& a, int disk, uint32_t before) {
  AbandonTask(c, a);
  if (a.rebuildTarget == disk) a.rebuildTarget = -1;
  uint32_t after = ArrayStateOf(c, a);
  if (after != before && after == kArrayCritical) {
    c.Queue(kEventArrayCritical, Capital(ArrayLabel(a)) + " is critical");
  } else if (after != before && after == kArrayDown) {
    c.Queue(kEventArrayDown, Capital(ArrayLabel(a)) + " is down");
  }
  c.updatePending = true;
}

}  // namespace

int32_t FailDisk(Controller& c, int64_t now, int disk) {
  Disk& d = c.disks[static_cast<std::size_t>(disk)];
  if (!d.present) return SIM_E_NO_OBJECT;
  if (d.state == kDiskFailed) return SIM_E_STATE;
  Array* a = ArrayOf(c, d);
  uint32_t before = a ? ArrayStateOf(c, *a) : kArrayNormal;
  bool serving = d.state == kDiskOnline;
  d.state = kDiskFailed;
  c.Queue(kEventDiskFailed, Capital(DiskLabel(disk)) + " failed");
  c.updatePending = true;
  if (a && serving) LoseMember(c, *a, disk, before);
  StartSpareRebuilds(c, now);
  return 0;
}

int32_t PullDisk(Controller& c, int64_t now, int disk) {
  Disk& d = c.disks[static_cast<std::size_t>(disk)];
  if (!d.present) return SIM_E_NO_OBJECT;
  Array* a = ArrayOf(c, d);
  uint32_t before = a ? ArrayStateOf(c, *a) : kArrayNormal;
  bool serving = d.state == kDiskOnline;
  d.present = false;
  c.Queue(kEventDiskPulled, Capital(DiskLabel(disk)) + " removed");
  c.updatePending = true;
  if (a && serving) LoseMember(c, *a, disk, before);
  StartSpareRebuilds(c, now);
  return 0;
}

int32_t InsertDisk(Controller& c, int64_t now, int disk, const Disk* fresh) {
  Disk& d = c.disks[static_cast<std::size_t>(disk)];
  if (d.present) return SIM_E_STATE;
  if (fresh) {
    d = *fresh;
    d.array = -1;
    d.state = kDiskFree;
    DeriveDiskGeometry(d);
  } else if (d.model.empty()) {
    return SIM_E_NO_OBJECT;  // nothing was ever in this position to put back
  } else {
    // The same disk back: a member the array still lists returns dropped, to be rebuilt in place.
    Array* a = ArrayOf(c, d);
    if (!a) {
      d.array = -1;
      if (d.state != kDiskFailed) d.state = kDiskFree;
    } else if (d.state != kDiskFailed) {
      d.state = kDiskOffline;
    }
  }
  d.present = true;
  c.Queue(kEventDiskPlugged, Capital(DiskLabel(disk)) + " plugged in");
  c.updatePending = true;
  StartSpareRebuilds(c, now);
  return 0;
}

int32_t SetDiskSmart(Controller& c, int disk, uint32_t smart) {
  Disk& d = c.disks[static_cast<std::size_t>(disk)];
  if (!d.present) return SIM_E_NO_OBJECT;
  constexpr uint32_t kSmartError = 2;
  if (smart == kSmartError && d.smart != kSmartError) {
    c.Queue(kEventSmartError, Capital(DiskLabel(disk)) + " reports a SMART error");
  }
  d.smart = smart;
  return 0;
}

void SetBayReadings(Controller& c, int channel, const Bay& next) {
  Bay& bay = c.bays[static_cast<std::size_t>(channel)];
  std::string where = "bay on channel " + std::to_string(channel);
  if (next.fan == 0 && bay.fan != 0) c.Queue(kEventFanStopped, "Fan of " + where + " stopped");
  if (next.temperature >= next.temperatureLimit && bay.temperature < next.temperatureLimit) {
    c.Queue(kEventTemperature,
            "Temperature of " + where + " is " + std::to_string(next.temperature) + " C");
  }
  if (next.power5V == 0 && bay.power5V != 0)
    c.Queue(kEvent5Volt, "5 V supply of " + where + " failed");
  if (next.power12V == 0 && bay.power12V != 0) {
    c.Queue(kEvent12Volt, "12 V supply of " + where + " failed");
  }
  if (next.type != bay.type) c.updatePending = true;
  bay = next;
}

}  // namespace swkv::sim
