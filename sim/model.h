// The simulated controllers: what a Kv9000 keeps about its disks, arrays, bays and battery, and
// the codes the library reports for them.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "raidlib/raidapikv9k.h"
#include "sim/faults.h"

namespace swkv::sim {

inline constexpr int kMaxControllers = 2;
inline constexpr int kChannels = 4;                        // IDE channels per controller
inline constexpr int kDisksPerController = 2 * kChannels;  // master and slave on each
inline constexpr int kMaxArrays = 8;
inline constexpr int kMaxMembers = 8;
inline constexpr std::size_t kMaxName = 63;  // names are 63 characters plus NUL
inline constexpr std::size_t kMaxEventText = 127;
inline constexpr std::size_t kEventQueueLimit = 256;   // the oldest events go first beyond this
inline constexpr uint32_t kDefaultBlockSectors = 128;  // 64 KB stripes
inline constexpr uint32_t kNoArray = 0xFFFFFFFF;       // a disk's array number when it has none

// raGetDiskStatus state codes. A disk in state 1 or 3 is one the component shows as bad.
enum DiskState : uint32_t {
  kDiskOnline = 0,   // a working member of an array
  kDiskFailed = 1,   // failed; still answers for its name
  kDiskFree = 2,     // working and in no array: usable for a new array or as a spare
  kDiskOffline = 3,  // a member the controller dropped; it can be rebuilt in place
};

// raGetDiskStatus activity kinds: what the disk takes part in.
enum DiskActivity : uint32_t {
  kDiskIdle = 0,
  kDiskRebuilding = 1,  // the target of a rebuild, also while that rebuild is stopped
  kDiskSynchronising = 2,
  kDiskConverting = 3,
};

// raGetArrayStatus state codes.
enum ArrayState : uint32_t { kArrayNormal = 0, kArrayCritical = 1, kArrayDown = 2 };

// raGetArrayStatus activity codes. The activity byte the component derives from them: 0x200 for
// a rebuild, 0x100 for a synchronisation, 0x300 for a conversion.
enum ActivityCode : uint32_t {
  kCodeIdle = 0,
  kCodeRebuild = 1,
  kCodeSpareRebuild = 2,  // a rebuild the controller started itself onto a free disk
  kCodeSync = 3,
  kCodeConvert = 4,
  kCodeRebuildPaused = 5,
  kCodeConvertPaused = 6,
  kCodeSyncPaused = 7,
};

// RAID mode codes.
enum RaidMode : int32_t {
  kStriping = 0,
  kMirroring = 1,
  kStripeMirroring = 2,
  kSpanning = 3,
  kParity = 4,
  kDistributedParity = 5,
};

// Command modes of raArrayRebuildDisk, raArraySynchronize and raExpanConv.
enum CommandMode : uint32_t {
  kCommandStart = 0,  // rebuild: the given member in place; conversion: to the given layout
  kCommandPause = 3,
  kCommandStop = 4,
  kCommandStartOrResume = 5,
};

// Event codes the controller queues, with their severity classes (0 error, 1 warning, 2 note).
enum EventCode : int32_t {
  kEventDiskFailed = 1,
  kEventDiskPlugged = 2,
  kEventRebuildStarted = 4,
  kEventSyncStarted = 5,
  kEventConvertStarted = 6,
  kEventArrayCritical = 8,
  kEventArrayDown = 9,
  kEventRebuildComplete = 10,
  kEventSyncComplete = 11,
  kEventConvertComplete = 12,
  kEventRebuildStopped = 15,
  kEventSyncStopped = 16,
  kEventConvertStopped = 17,
  kEventSmartError = 19,
  kEventDiskPulled = 20,
  kEventTemperature = 23,
  kEventFanStopped = 24,
  kEvent5Volt = 25,
  kEvent12Volt = 26,
  kEventArrayCreated = 27,
  kEventArrayDeleted = 28,
};
uint32_t SeverityOf(int32_t code);

// raEnclosureType codes. Types 2 to 4 are bays with sensors.
enum BayType : int32_t {
  kBayNone = 0,
  kBayPlain = 1,  // a carrier without a sensor link
  kQuickBay = 2,
  kHyperBay = 3,
  kOmniBay = 4,
  kBayUnknown = 5,
};
inline constexpr int32_t kNoReading = -2;

struct Disk {
  bool present = false;
  std::string model;
  uint32_t sectors = 0;
  uint32_t cylinders = 0, heads = 0, sectorsPerTrack = 0;
  int32_t timing = 0;
  uint32_t smart = 1;
  uint32_t state = kDiskFree;
  int64_t array = -1;  // physical number of the array it belongs to
};

enum class Activity { None, Rebuild, Sync, Convert };

// The array's rebuild, synchronisation or conversion. Progress is work time: done before the
// present run, plus the time since the run began, against the total.
struct Task {
  Activity kind = Activity::None;
  bool automatic = false;  // a spare rebuild the controller started itself
  bool paused = false;
  int64_t doneMs = 0;
  int64_t runningSince = 0;
  int64_t totalMs = 0;
  // A conversion's goal; the added disks are the members from originalCount on.
  int32_t targetMode = 0;
  uint32_t targetBlock = 0;
  uint32_t originalCount = 0;
};

struct Array {
  uint32_t logical = 0;   // the library's number for it: its slot 0 to 7
  uint32_t physical = 0;  // the controller's own number; never reused
  std::string name;
  int32_t mode = kMirroring;
  uint32_t blockSectors = kDefaultBlockSectors;
  uint32_t memberSectors = 0;  // what each member contributes: the smallest member's size
  uint64_t sectors = 0;        // the array's size, derived from its members and mode
  std::vector<int> members;    // disk identifiers, in member order
  int rebuildTarget = -1;      // the disk being rebuilt, kept while a rebuild is stopped
  Task task;
};

struct Bay {
  int32_t type = kBayNone;
  int32_t fan = kNoReading, temperature = kNoReading, power5V = kNoReading, power12V = kNoReading;
  int32_t temperatureLimit = 50;  // at or above it the controller reports a temperature error
};

struct Battery {
  bool module = false, pack = false;
  int32_t chargeStatus = -1;
  uint16_t cycles = 0, temperature = 0, voltage = 0;
};

struct Event {
  int32_t code = 0;
  uint32_t severity = 0;
  std::string text;
};

struct Settings {
  int32_t originalChannels = 4, channelThreshold = 2, writeCache = 1, hotSpares = 1, smartCheck = 1,
          rebuildRate = 4, readThreshold = 8, writeThreshold = 8, submitChannelThreshold = 4,
          writeMode = 0;
};

struct Controller {
  RaControllerInfo info{};
  std::string version, versionDetail;
  Settings settings;
  int64_t activityMs = 60000;  // how long a rebuild, synchronisation or conversion takes
  std::array<Disk, kDisksPerController> disks;
  std::vector<Array> arrays;  // in logical order
  std::array<Bay, kChannels> bays;
  Battery battery;
  std::deque<Event> events;
  bool updatePending = false;
  uint32_t nextPhysical = 1;

  Array* FindLogical(uint32_t logical);
  Array* FindPhysical(int64_t physical);
  void Queue(int32_t code, std::string text);  // an event, with the update flag left alone
};

struct TimelineEntry {
  int64_t atMs = 0;    // after the scenario's start
  std::string action;  // the entry's JSON without "at", checked when loaded
};

struct Model {
  std::vector<Controller> controllers;
  std::vector<TimelineEntry> timeline;  // in time order
  std::size_t timelineNext = 0;         // the first entry not yet applied
  int64_t startMs = 0;                  // model time the scenario began
  int64_t nowMs = 0;                    // model time the model has been brought up to
  std::vector<Fault> faults;
  bool hasManualClock = false;  // a manual clock's time, kept in the state file
  int64_t manualClockMs = 0;
};

}  // namespace swkv::sim
