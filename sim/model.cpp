// What the controller reports about its arrays and disks, derived from the model.
#include <algorithm>

#include "sim/rules.h"

namespace swkv::sim {

uint32_t SeverityOf(int32_t code) {
  switch (code) {
    case 0:  // ECC error
    case kEventDiskFailed:
    case kEventArrayCritical:
    case kEventArrayDown:
    case 13:  // a member reported an error
    case kEventTemperature:
    case kEventFanStopped:
    case kEvent5Volt:
    case kEvent12Volt: return 0;
    case 3:   // bad sector
    case 7:   // task retried
    case 14:  // reserved sector error
    case kEventRebuildStopped:
    case kEventSyncStopped:
    case kEventConvertStopped:
    case 18:  // synchronisation compare error
    case kEventSmartError:
    case kEventDiskPulled:
    case 22:  // bad swap
      return 1;
    default: return 2;
  }
}

Array* Controller::FindLogical(uint32_t logical) {
  for (Array& a : arrays) {
    if (a.logical == logical) return &a;
  }
  return nullptr;
}

Array* Controller::FindPhysical(int64_t physical) {
  for (Array& a : arrays) {
    if (a.physical == physical) return &a;
  }
  return nullptr;
}

void Controller::Queue(int32_t code, std::string text) {
  if (text.size() > kMaxEventText) text.resize(kMaxEventText);
  events.push_back(Event{code, SeverityOf(code), std::move(text)});
  while (events.size() > kEventQueueLimit) events.pop_front();
}

bool ValidMode(int32_t mode) { return mode >= kStriping && mode <= kDistributedParity; }

bool IsRedundant(int32_t mode) {
  return mode == kMirroring || mode == kStripeMirroring || mode == kParity ||
         mode == kDistributedParity;
}

bool ValidMemberCount(int32_t mode, std::size_t n) {
  switch (mode) {
    case kStriping: return n >= 2 && n <= kMaxMembers;
    case kMirroring: return n == 2;
    case kStripeMirroring: return n >= 4 && n <= kMaxMembers && n % 2 == 0;
    case kSpanning: return n >= 1 && n <= kMaxMembers;
    case kParity:
    case kDistributedParity: return n >= 3 && n <= kMaxMembers;
    default: return false;
  }
}

bool ValidBlockSectors(uint32_t s) {
  // 4 KB to 1 MB, a power of two.
  return s >= 8 && s <= 2048 && (s & (s - 1)) == 0;
}

namespace {

bool MemberHealthy(const Controller& c, const Array& a, int disk) {
  const Disk& d = c.disks[static_cast<std::size_t>(disk)];
  return d.present && d.array == a.physical && d.state == kDiskOnline && disk != a.rebuildTarget;
}

}  // namespace

uint32_t ArrayStateOf(const Controller& c, const Array& a) {
  std::size_t n = a.members.size();
  std::vector<bool> lost(n);
  std::size_t lostCount = 0;
  for (std::size_t i = 0; i < n; ++i) {
    lost[i] = !MemberHealthy(c, a, a.members[i]);
    if (lost[i]) ++lostCount;
  }
  if (lostCount == 0) return kArrayNormal;
  switch (a.mode) {
    case kMirroring: return lostCount == n ? kArrayDown : kArrayCritical;
    case kStripeMirroring:
      // Members 2k and 2k+1 mirror each other; losing both halves of a pair loses data.
      for (std::size_t i = 0; i + 1 < n; i += 2) {
        if (lost[i] && lost[i + 1]) return kArrayDown;
      }
      return kArrayCritical;
    case kParity:
    case kDistributedParity: return lostCount == 1 ? kArrayCritical : kArrayDown;
    default: return kArrayDown;
  }
}

uint32_t ActivityCodeOf(const Array& a) {
  const Task& t = a.task;
  switch (t.kind) {
    case Activity::Rebuild:
      return t.paused ? kCodeRebuildPaused : t.automatic ? kCodeSpareRebuild : kCodeRebuild;
    case Activity::Sync: return t.paused ? kCodeSyncPaused : kCodeSync;
    case Activity::Convert: return t.paused ? kCodeConvertPaused : kCodeConvert;
    case Activity::None: break;
  }
  return kCodeIdle;
}

int32_t ProgressOf(const Array& a, int64_t now) {
  const Task& t = a.task;
  if (t.kind == Activity::None || t.totalMs <= 0) return 0;
  int64_t done = t.doneMs + (t.paused ? 0 : std::max<int64_t>(0, now - t.runningSince));
  return static_cast<int32_t>(std::clamp<int64_t>(done * 100 / t.totalMs, 0, 100));
}

uint32_t DiskActivityOf(const Controller& c, int disk) {
  const Disk& d = c.disks[static_cast<std::size_t>(disk)];
  if (!d.present || d.array < 0) return kDiskIdle;
  for (const Array& a : c.arrays) {
    if (a.physical != d.array) continue;
    if (a.rebuildTarget == disk) return kDiskRebuilding;
    if (a.task.kind == Activity::Sync) return kDiskSynchronising;
    if (a.task.kind == Activity::Convert) return kDiskConverting;
  }
  return kDiskIdle;
}

std::vector<uint32_t> ListedMembers(const Controller& c, const Array& a) {
  std::vector<uint32_t> listed;
  for (int disk : a.members) {
    const Disk& d = c.disks[static_cast<std::size_t>(disk)];
    if (d.present && d.array == a.physical) listed.push_back(static_cast<uint32_t>(disk));
  }
  return listed;
}

void ComputeCapacity(const Controller& c, Array& a) {
  uint32_t smallest = 0;
  uint64_t total = 0;
  for (std::size_t i = 0; i < a.members.size(); ++i) {
    uint32_t s = c.disks[static_cast<std::size_t>(a.members[i])].sectors;
    smallest = i == 0 ? s : std::min(smallest, s);
    total += s;
  }
  uint64_t n = a.members.size();
  a.memberSectors = smallest;
  switch (a.mode) {
    case kStriping: a.sectors = n * smallest; break;
    case kMirroring: a.sectors = smallest; break;
    case kStripeMirroring: a.sectors = n / 2 * smallest; break;
    case kSpanning: a.sectors = total; break;
    default: a.sectors = n > 0 ? (n - 1) * smallest : 0; break;
  }
}

void DeriveDiskGeometry(Disk& d) {
  // The translated IDE geometry: 16 heads, 63 sectors per track, at most 16383 cylinders.
  if (d.heads == 0) d.heads = 16;
  if (d.sectorsPerTrack == 0) d.sectorsPerTrack = 63;
  if (d.cylinders == 0) {
    d.cylinders = std::min<uint32_t>(16383, d.sectors / (d.heads * d.sectorsPerTrack));
  }
}

uint16_t ArrayCylinders(const Array& a) {
  // Arrays present the geometry of 255 heads and 63 sectors per track.
  return static_cast<uint16_t>(std::min<uint64_t>(65535, a.sectors / (255 * 63)));
}

std::string DiskLabel(int disk) {
  return "disk " + std::to_string(disk) + " (channel " + std::to_string(disk / 2) +
         (disk % 2 == 0 ? " master)" : " slave)");
}

std::string ArrayLabel(const Array& a) {
  return a.name.empty() ? "array " + std::to_string(a.physical) : "array \"" + a.name + "\"";
}

std::string Capital(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

}  // namespace swkv::sim
