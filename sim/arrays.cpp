// Configuration changes: creating, deleting, renaming, rebuilding, synchronising and converting
// arrays, and the activities they start.
#include <algorithm>

#include "sim/rules.h"
#include "sim/sim_control.h"

namespace swkv::sim {

namespace {

bool Busy(const Array& a) { return a.task.kind != Activity::None; }

void Begin(Controller& c, Array& a, Activity kind, int64_t now, bool automatic) {
  a.task = Task{};
  a.task.kind = kind;
  a.task.automatic = automatic;
  a.task.runningSince = now;
  a.task.totalMs = std::max<int64_t>(1, c.activityMs);
  c.updatePending = true;
}

int32_t Pause(Controller& c, Array& a, Activity kind, int64_t now) {
  if (a.task.kind != kind || a.task.paused) return SIM_E_STATE;
  a.task.doneMs =
      std::min(a.task.totalMs, a.task.doneMs + std::max<int64_t>(0, now - a.task.runningSince));
  a.task.paused = true;
  c.updatePending = true;
  return 0;
}

// Resumes a paused activity of that kind; one that runs already is left running.
int32_t Resume(Controller& c, Array& a, Activity kind, int64_t now) {
  if (a.task.kind != kind) return SIM_E_STATE;
  if (!a.task.paused) return 0;
  a.task.paused = false;
  a.task.runningSince = now;
  c.updatePending = true;
  return 0;
}

void StartRebuild(Controller& c, Array& a, int disk, bool automatic, int64_t now) {
  Disk& d = c.disks[static_cast<std::size_t>(disk)];
  d.state = kDiskOnline;
  d.array = a.physical;
  a.rebuildTarget = disk;
  Begin(c, a, Activity::Rebuild, now, automatic);
  c.Queue(kEventRebuildStarted, "Rebuild of " + ArrayLabel(a) + " onto " +
                                    (automatic ? "spare " : "") + DiskLabel(disk) + " started");
}

// The lowest-numbered free disk that can stand in for a member of need sectors, or -1.
int FindSpare(const Controller& c, uint32_t need) {
  for (int i = 0; i < kDisksPerController; ++i) {
    const Disk& d = c.disks[static_cast<std::size_t>(i)];
    if (d.present && d.state == kDiskFree && d.array < 0 && d.sectors >= need) return i;
  }
  return -1;
}

// The first member slot whose disk no longer serves the array, or -1.
int FirstLostSlot(const Controller& c, const Array& a) {
  for (std::size_t i = 0; i < a.members.size(); ++i) {
    const Disk& d = c.disks[static_cast<std::size_t>(a.members[i])];
    if (!(d.present && d.array == a.physical && d.state == kDiskOnline)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// Puts disk into a member slot; the disk it replaces leaves the array.
void ReplaceMember(Controller& c, Array& a, std::size_t slot, int disk) {
  Disk& old = c.disks[static_cast<std::size_t>(a.members[slot])];
  if (old.array == a.physical) {
    old.array = -1;
    if (old.state != kDiskFailed) old.state = kDiskFree;
  }
  a.members[slot] = disk;
}

bool ValidName(const std::string& name) { return name.size() <= kMaxName; }

}  // namespace

int32_t CreateArray(Controller& c, int64_t /*now*/, const std::string& name, int32_t mode,
                    const std::vector<int>& disks, int32_t blockSectors) {
  if (!ValidName(name) || !ValidMode(mode) || !ValidMemberCount(mode, disks.size())) {
    return SIM_E_ARGUMENT;
  }
  if (blockSectors < 0 ||
      (blockSectors != 0 && !ValidBlockSectors(static_cast<uint32_t>(blockSectors)))) {
    return SIM_E_ARGUMENT;
  }
  for (std::size_t i = 0; i < disks.size(); ++i) {
    int id = disks[i];
    if (id < 0 || id >= kDisksPerController) return SIM_E_ARGUMENT;
    if (std::find(disks.begin(), disks.begin() + static_cast<std::ptrdiff_t>(i), id) !=
        disks.begin() + static_cast<std::ptrdiff_t>(i)) {
      return SIM_E_ARGUMENT;
    }
    const Disk& d = c.disks[static_cast<std::size_t>(id)];
    if (!d.present) return SIM_E_NO_OBJECT;
    if (d.state != kDiskFree || d.array >= 0) return SIM_E_STATE;
  }
  if (c.arrays.size() >= kMaxArrays) return SIM_E_STATE;

  Array a;
  while (c.FindLogical(a.logical)) ++a.logical;
  a.physical = c.nextPhysical++;
  a.name = name;
  a.mode = mode;
  a.blockSectors = blockSectors == 0 ? kDefaultBlockSectors : static_cast<uint32_t>(blockSectors);
  a.members = disks;
  for (int id : disks) {
    c.disks[static_cast<std::size_t>(id)].state = kDiskOnline;
    c.disks[static_cast<std::size_t>(id)].array = a.physical;
  }
  ComputeCapacity(c, a);
  c.Queue(kEventArrayCreated,
          "Created " + ArrayLabel(a) + " of " + std::to_string(disks.size()) + " disks");
  c.updatePending = true;
  auto at = std::find_if(c.arrays.begin(), c.arrays.end(),
                         [&](const Array& other) { return other.logical > a.logical; });
  c.arrays.insert(at, std::move(a));
  return 0;
}

int32_t DeleteArray(Controller& c, uint32_t logical) {
  Array* a = c.FindLogical(logical);
  if (!a) return SIM_E_NO_OBJECT;
  if (Busy(*a)) return SIM_E_STATE;  // stop its activity first
  for (int id : a->members) {
    Disk& d = c.disks[static_cast<std::size_t>(id)];
    if (d.array != a->physical) continue;
    d.array = -1;
    if (d.state != kDiskFailed) d.state = kDiskFree;
  }
  c.Queue(kEventArrayDeleted, "Deleted " + ArrayLabel(*a));
  c.updatePending = true;
  c.arrays.erase(c.arrays.begin() + (a - c.arrays.data()));
  return 0;
}

int32_t RenameArray(Controller& c, uint32_t logical, const std::string& name) {
  Array* a = c.FindLogical(logical);
  if (!a) return SIM_E_NO_OBJECT;
  if (!ValidName(name)) return SIM_E_ARGUMENT;
  a->name = name;
  c.updatePending = true;
  return 0;
}

int32_t RebuildArray(Controller& c, int64_t now, uint32_t logical, uint32_t member, uint32_t mode) {
  Array* a = c.FindLogical(logical);
  if (!a) return SIM_E_NO_OBJECT;
  switch (mode) {
    case kCommandPause: return Pause(c, *a, Activity::Rebuild, now);
    case kCommandStop:
      if (a->task.kind != Activity::Rebuild) return SIM_E_STATE;
      AbandonTask(c, *a);
      return 0;
    case kCommandStart:
    case kCommandStartOrResume: break;
    default: return SIM_E_ARGUMENT;
  }
  if (mode == kCommandStartOrResume && a->task.kind == Activity::Rebuild) {
    return Resume(c, *a, Activity::Rebuild, now);
  }
  std::vector<uint32_t> listed = ListedMembers(c, *a);
  if (mode == kCommandStart && member >= listed.size()) return SIM_E_ARGUMENT;
  if (Busy(*a) || !IsRedundant(a->mode) || ArrayStateOf(c, *a) != kArrayCritical) {
    return SIM_E_STATE;
  }

  if (mode == kCommandStart) {
    // Rebuild the named member in place: a failed or dropped disk, or a stopped rebuild's target.
    int disk = static_cast<int>(listed[member]);
    const Disk& d = c.disks[static_cast<std::size_t>(disk)];
    if (disk != a->rebuildTarget && d.state != kDiskFailed && d.state != kDiskOffline) {
      return SIM_E_STATE;
    }
    StartRebuild(c, *a, disk, false, now);
    return 0;
  }
  // Start: the stopped rebuild's target again, a dropped member in place, or a free disk.
  if (a->rebuildTarget >= 0) {
    StartRebuild(c, *a, a->rebuildTarget, false, now);
    return 0;
  }
  int slot = FirstLostSlot(c, *a);
  if (slot < 0) return SIM_E_STATE;
  int disk = a->members[static_cast<std::size_t>(slot)];
  const Disk& d = c.disks[static_cast<std::size_t>(disk)];
  if (!(d.present && d.array == a->physical && d.state == kDiskOffline)) {
    disk = FindSpare(c, a->memberSectors);
    if (disk < 0) return SIM_E_STATE;
    ReplaceMember(c, *a, static_cast<std::size_t>(slot), disk);
  }
  StartRebuild(c, *a, disk, false, now);
  return 0;
}

int32_t SynchroniseArray(Controller& c, int64_t now, uint32_t logical, uint32_t mode) {
  Array* a = c.FindLogical(logical);
  if (!a) return SIM_E_NO_OBJECT;
  switch (mode) {
    case kCommandPause: return Pause(c, *a, Activity::Sync, now);
    case kCommandStop:
      if (a->task.kind != Activity::Sync) return SIM_E_STATE;
      AbandonTask(c, *a);
      return 0;
    case kCommandStart:
    case kCommandStartOrResume: break;
    default: return SIM_E_ARGUMENT;
  }
  if (a->task.kind == Activity::Sync) return Resume(c, *a, Activity::Sync, now);
  if (Busy(*a) || !IsRedundant(a->mode) || ArrayStateOf(c, *a) != kArrayNormal) {
    return SIM_E_STATE;
  }
  Begin(c, *a, Activity::Sync, now, false);
  c.Queue(kEventSyncStarted, "Synchronisation of " + ArrayLabel(*a) + " started");
  return 0;
}

int32_t ConvertArray(Controller& c, int64_t now, uint32_t logical, int32_t targetMode,
                     const std::vector<int>& disks, uint32_t blockSectors, uint32_t mode) {
  Array* a = c.FindLogical(logical);
  if (!a) return SIM_E_NO_OBJECT;
  switch (mode) {
    case kCommandPause: return Pause(c, *a, Activity::Convert, now);
    case kCommandStop:
      if (a->task.kind != Activity::Convert) return SIM_E_STATE;
      AbandonTask(c, *a);
      return 0;
    case kCommandStartOrResume: return Resume(c, *a, Activity::Convert, now);
    case kCommandStart: break;
    default: return SIM_E_ARGUMENT;
  }
  int32_t target = targetMode == -1 ? a->mode : targetMode;
  if (!ValidMode(target)) return SIM_E_ARGUMENT;
  if (blockSectors != 0 && !ValidBlockSectors(blockSectors)) return SIM_E_ARGUMENT;
  // The new member list keeps every member and may add free disks; none means "the same".
  std::vector<int> members = a->members;
  for (int m : a->members) {
    if (!disks.empty() && std::find(disks.begin(), disks.end(), m) == disks.end()) {
      return SIM_E_ARGUMENT;
    }
  }
  for (int id : disks) {
    if (id < 0 || id >= kDisksPerController) return SIM_E_ARGUMENT;
    if (std::count(disks.begin(), disks.end(), id) > 1) return SIM_E_ARGUMENT;
    if (std::find(a->members.begin(), a->members.end(), id) != a->members.end()) continue;
    const Disk& d = c.disks[static_cast<std::size_t>(id)];
    if (!d.present) return SIM_E_NO_OBJECT;
    if (d.state != kDiskFree || d.array >= 0 || d.sectors < a->memberSectors) return SIM_E_STATE;
    members.push_back(id);
  }
  if (!ValidMemberCount(target, members.size())) return SIM_E_ARGUMENT;
  uint32_t block = blockSectors == 0 ? a->blockSectors : blockSectors;
  if (target == a->mode && members.size() == a->members.size() && block == a->blockSectors) {
    return SIM_E_ARGUMENT;  // nothing would change
  }
  if (Busy(*a) || ArrayStateOf(c, *a) != kArrayNormal) return SIM_E_STATE;
  Array goal = *a;
  goal.mode = target;
  goal.members = members;
  ComputeCapacity(c, goal);
  if (goal.sectors < a->sectors) return SIM_E_STATE;  // a conversion never shrinks an array

  for (std::size_t i = a->members.size(); i < members.size(); ++i) {
    Disk& d = c.disks[static_cast<std::size_t>(members[i])];
    d.state = kDiskOnline;
    d.array = a->physical;
  }
  uint32_t original = static_cast<uint32_t>(a->members.size());
  a->members = members;
  Begin(c, *a, Activity::Convert, now, false);
  a->task.targetMode = target;
  a->task.targetBlock = block;
  a->task.originalCount = original;
  c.Queue(kEventConvertStarted, "Conversion of " + ArrayLabel(*a) + " started");
  return 0;
}

int64_t TaskEndsAt(const Array& a) {
  const Task& t = a.task;
  if (t.kind == Activity::None || t.paused) return -1;
  return t.runningSince + std::max<int64_t>(0, t.totalMs - t.doneMs);
}

void FinishTask(Controller& c, Array& a) {
  switch (a.task.kind) {
    case Activity::Rebuild:
      c.Queue(kEventRebuildComplete,
              "Rebuild of " + ArrayLabel(a) + " onto " + DiskLabel(a.rebuildTarget) + " complete");
      a.rebuildTarget = -1;
      break;
    case Activity::Sync:
      c.Queue(kEventSyncComplete, "Synchronisation of " + ArrayLabel(a) + " complete");
      break;
    case Activity::Convert:
      a.mode = a.task.targetMode;
      a.blockSectors = a.task.targetBlock;
      ComputeCapacity(c, a);
      c.Queue(kEventConvertComplete, "Conversion of " + ArrayLabel(a) + " complete");
      break;
    case Activity::None: return;
  }
  a.task = Task{};
  c.updatePending = true;
}

void AbandonTask(Controller& c, Array& a) {
  switch (a.task.kind) {
    case Activity::Rebuild:
      // The target stays marked for rebuild until a rebuild starts again or it goes.
      c.Queue(kEventRebuildStopped, "Rebuild of " + ArrayLabel(a) + " stopped");
      break;
    case Activity::Sync:
      c.Queue(kEventSyncStopped, "Synchronisation of " + ArrayLabel(a) + " stopped");
      break;
    case Activity::Convert:
      // The array goes back to its old layout; the disks it was gaining are free again.
      for (std::size_t i = a.task.originalCount; i < a.members.size(); ++i) {
        Disk& d = c.disks[static_cast<std::size_t>(a.members[i])];
        if (d.array != a.physical) continue;
        d.array = -1;
        if (d.state != kDiskFailed) d.state = kDiskFree;
      }
      a.members.resize(std::min<std::size_t>(a.members.size(), a.task.originalCount));
      c.Queue(kEventConvertStopped, "Conversion of " + ArrayLabel(a) + " stopped");
      break;
    case Activity::None: return;
  }
  a.task = Task{};
  c.updatePending = true;
}

void StartSpareRebuilds(Controller& c, int64_t now) {
  if (c.settings.hotSpares == 0) return;
  for (Array& a : c.arrays) {
    if (Busy(a) || a.rebuildTarget >= 0 || !IsRedundant(a.mode) ||
        ArrayStateOf(c, a) != kArrayCritical) {
      continue;
    }
    int slot = FirstLostSlot(c, a);
    int spare = FindSpare(c, a.memberSectors);
    if (slot < 0 || spare < 0) continue;
    ReplaceMember(c, a, static_cast<std::size_t>(slot), spare);
    StartRebuild(c, a, spare, true, now);
  }
}

}  // namespace swkv::sim
