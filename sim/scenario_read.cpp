// Reading scenario and state documents, checking that they describe a controller that could be.
#include <algorithm>

#include "sim/json_read.h"
#include "sim/rules.h"
#include "sim/scenario.h"
#include "sim/sim_control.h"
#include "sim/timeline.h"

namespace swkv::sim {

namespace {

constexpr int64_t kU32 = UINT32_MAX;
constexpr int64_t kDay = 86400;
constexpr std::initializer_list<const char*> kModeNames = {
    "striping", "mirroring", "stripe-mirroring", "spanning", "parity", "distributed-parity"};

void ReadInfo(const Json& j, const std::string& place, int index, RaControllerInfo& info) {
  // Register bases of a typical board in each of the two slots.
  static constexpr RaControllerInfo kDefaults[2] = {
      {0, 0x1F0, 11, 0, 0xD800, 0, 0xD400, 0xD000, 0xCC00, 0xFEBF0000, 0xE0000000},
      {0, 0x170, 10, 0, 0xB800, 0, 0xB400, 0xB000, 0xAC00, 0xFEBE0000, 0xD0000000}};
  info = kDefaults[index];
  if (j.is_null()) return;
  ExpectObject(j, place, {"irq", "bmb", "rba", "ata", "hdma", "seq", "mmio", "sdram"});
  info.irq = static_cast<int32_t>(ReadInteger(j, "irq", place, INT32_MIN, INT32_MAX, info.irq));
  info.bmb = static_cast<uint32_t>(ReadInteger(j, "bmb", place, 0, kU32, info.bmb));
  info.rba = static_cast<uint32_t>(ReadInteger(j, "rba", place, 0, kU32, info.rba));
  info.ataBase = static_cast<uint32_t>(ReadInteger(j, "ata", place, 0, kU32, info.ataBase));
  info.hdmaBase = static_cast<uint32_t>(ReadInteger(j, "hdma", place, 0, kU32, info.hdmaBase));
  info.seqBase = static_cast<uint32_t>(ReadInteger(j, "seq", place, 0, kU32, info.seqBase));
  info.mmioBase = static_cast<uint32_t>(ReadInteger(j, "mmio", place, 0, kU32, info.mmioBase));
  info.sdramBase = static_cast<uint32_t>(ReadInteger(j, "sdram", place, 0, kU32, info.sdramBase));
}

void ReadSettings(const Json& j, const std::string& place, Settings& s) {
  if (j.is_null()) return;
  ExpectObject(
      j, place,
      {"originalChannels", "channelThreshold", "writeCache", "hotSpares", "smartCheck",
       "rebuildRate", "readThreshold", "writeThreshold", "submitChannelThreshold", "writeMode"});
  auto byte = [&](const char* key, int32_t& field) {
    field = static_cast<int32_t>(ReadInteger(j, key, place, 0, 255, field));
  };
  auto flag = [&](const char* key, int32_t& field) {
    field = static_cast<int32_t>(ReadInteger(j, key, place, 0, 1, field));
  };
  byte("originalChannels", s.originalChannels);
  byte("channelThreshold", s.channelThreshold);
  flag("writeCache", s.writeCache);
  flag("hotSpares", s.hotSpares);
  flag("smartCheck", s.smartCheck);
  byte("rebuildRate", s.rebuildRate);  // 255 (0xFF): the controller does not report it
  byte("readThreshold", s.readThreshold);
  byte("writeThreshold", s.writeThreshold);
  byte("submitChannelThreshold", s.submitChannelThreshold);
  flag("writeMode", s.writeMode);
}

// Where each disk was declared: its object and its place, by disk number.
struct Declared {
  const Json* json = nullptr;
  std::string place;
};

void ReadDisks(const Json& list, const std::string& place, Controller& c,
               std::vector<Declared>& declared) {
  declared.assign(kDisksPerController, Declared{});
  for (std::size_t i = 0; i < list.size(); ++i) {
    std::string at = Place(place, i);
    const Json& j = list[i];
    ExpectObject(j, at,
                 {"disk", "model", "sectors", "cylinders", "heads", "sectorsPerTrack", "timing",
                  "smart", "state", "present", "array"});
    if (!Field(j, "disk")) Refuse(Place(at, "disk"), "is missing: the disk's number 0 to 7");
    auto id = static_cast<std::size_t>(ReadInteger(j["disk"], Place(at, "disk"), 0, 7));
    if (declared[id].json) {
      Refuse(Place(at, "disk"), "disk " + std::to_string(id) + " is listed twice");
    }
    declared[id] = Declared{&j, at};
    Disk& d = c.disks[id];
    d.present = ReadBool(j, "present", at, true);
    if (Field(j, "model")) d.model = ReadText(j["model"], Place(at, "model"), kMaxName);
    if (d.present && d.model.empty()) {
      Refuse(Place(at, "model"), "a present disk needs a model name");
    }
    d.sectors = static_cast<uint32_t>(ReadInteger(j, "sectors", at, 1, kU32, 78165360));
    d.cylinders = static_cast<uint32_t>(ReadInteger(j, "cylinders", at, 0, kU32, 0));
    d.heads = static_cast<uint32_t>(ReadInteger(j, "heads", at, 0, 255, 0));
    d.sectorsPerTrack = static_cast<uint32_t>(ReadInteger(j, "sectorsPerTrack", at, 0, 255, 0));
    DeriveDiskGeometry(d);
    d.timing = static_cast<int32_t>(ReadInteger(j, "timing", at, INT32_MIN, INT32_MAX, 0));
    d.smart = static_cast<uint32_t>(ReadInteger(j, "smart", at, 0, kU32, 1));
  }
}

void ReadTask(const Json& j, const std::string& place, const Controller& c, Array& a,
              int64_t start) {
  ExpectObject(j, place,
               {"kind", "paused", "automatic", "progress", "doneMs", "runningSince", "totalMs",
                "targetMode", "targetBlockSectors", "originalCount"});
  Task& t = a.task;
  if (!Field(j, "kind")) Refuse(Place(place, "kind"), "is missing");
  t.kind = static_cast<Activity>(
      1 + ReadName(j["kind"], Place(place, "kind"), {"rebuild", "sync", "convert"}, 0, -1));
  t.paused = ReadBool(j, "paused", place, false);
  t.automatic = ReadBool(j, "automatic", place, false);
  t.totalMs = ReadInteger(j, "totalMs", place, 1, kDay * 1000, c.activityMs);
  int64_t progress = ReadInteger(j, "progress", place, 0, 99, 0);
  t.doneMs = ReadInteger(j, "doneMs", place, 0, t.totalMs, progress * t.totalMs / 100);
  t.runningSince = ReadInteger(j, "runningSince", place, 0, INT64_MAX, start);
  if (t.kind == Activity::Rebuild && (a.rebuildTarget < 0 || !IsRedundant(a.mode))) {
    Refuse(place, "a rebuild needs a redundant array with a \"rebuildTarget\"");
  }
  if (t.kind == Activity::Sync && !IsRedundant(a.mode)) {
    Refuse(place, "only a redundant array can be synchronised");
  }
  if (t.kind == Activity::Convert) {
    if (!Field(j, "targetMode")) Refuse(Place(place, "targetMode"), "is missing");
    t.targetMode = static_cast<int32_t>(
        ReadName(j["targetMode"], Place(place, "targetMode"), kModeNames, 0, 5));
    t.targetBlock =
        static_cast<uint32_t>(ReadInteger(j, "targetBlockSectors", place, 8, 2048, a.blockSectors));
    if (!ValidBlockSectors(t.targetBlock)) {
      Refuse(Place(place, "targetBlockSectors"), "must be a power of two from 8 to 2048");
    }
    if (!Field(j, "originalCount")) Refuse(Place(place, "originalCount"), "is missing");
    t.originalCount =
        static_cast<uint32_t>(ReadInteger(j["originalCount"], Place(place, "originalCount"), 1,
                                          static_cast<int64_t>(a.members.size())));
  }
}

Array ReadArray(const Json& j, const std::string& place, const Controller& c,
                const std::vector<Declared>& declared, int64_t start) {
  ExpectObject(j, place,
               {"name", "mode", "members", "blockSectors", "logical", "physical", "rebuildTarget",
                "task", "memberSectors", "sectors"});
  Array a;
  if (Field(j, "name")) a.name = ReadText(j["name"], Place(place, "name"), kMaxName);
  if (!Field(j, "mode")) Refuse(Place(place, "mode"), "is missing");
  a.mode = static_cast<int32_t>(ReadName(j["mode"], Place(place, "mode"), kModeNames, 0, 5));
  a.blockSectors =
      static_cast<uint32_t>(ReadInteger(j, "blockSectors", place, 8, 2048, kDefaultBlockSectors));
  if (!ValidBlockSectors(a.blockSectors)) {
    Refuse(Place(place, "blockSectors"), "must be a power of two from 8 to 2048");
  }
  const Json& members = ExpectArray(j, "members", place);
  for (std::size_t i = 0; i < members.size(); ++i) {
    std::string at = Place(Place(place, "members"), i);
    int id = static_cast<int>(ReadInteger(members[i], at, 0, 7));
    if (!declared[static_cast<std::size_t>(id)].json) {
      Refuse(at, "disk " + std::to_string(id) + " is not in \"disks\"");
    }
    if (std::count(a.members.begin(), a.members.end(), id)) Refuse(at, "is listed twice");
    a.members.push_back(id);
  }
  a.logical = static_cast<uint32_t>(ReadInteger(j, "logical", place, 0, kMaxArrays - 1, 0));
  a.physical = static_cast<uint32_t>(ReadInteger(j, "physical", place, 1, kU32 - 1, 1));
  a.rebuildTarget = static_cast<int>(ReadInteger(j, "rebuildTarget", place, 0, 7, -1));
  if (a.rebuildTarget >= 0 &&
      std::find(a.members.begin(), a.members.end(), a.rebuildTarget) == a.members.end()) {
    Refuse(Place(place, "rebuildTarget"), "must be one of the members");
  }
  if (const Json* t = Field(j, "task")) ReadTask(*t, Place(place, "task"), c, a, start);
  a.memberSectors = static_cast<uint32_t>(ReadInteger(j, "memberSectors", place, 0, kU32, 0));
  a.sectors = static_cast<uint64_t>(ReadInteger(j, "sectors", place, 0, INT64_MAX, 0));
  bool converting = a.task.kind == Activity::Convert;
  std::size_t counted = converting ? a.task.originalCount : a.members.size();
  if (!ValidMemberCount(a.mode, counted) ||
      (converting && !ValidMemberCount(a.task.targetMode, a.members.size()))) {
    Refuse(Place(place, "members"),
           std::to_string(a.members.size()) + " members do not make an array of this mode");
  }
  return a;
}

// Numbers the arrays (a number given in the document is kept; the others take the lowest free
// ones), derives their sizes where the document gives none, and gives the disks their membership
// and state.
void LinkArrays(const Json& list, const std::string& place, Controller& c,
                const std::vector<Declared>& declared) {
  std::vector<bool> logicalUsed(kMaxArrays);
  for (std::size_t i = 0; i < c.arrays.size(); ++i) {
    std::string at = Place(place, i);
    for (std::size_t k = 0; k < i; ++k) {
      if (Field(list[i], "logical") && Field(list[k], "logical") &&
          c.arrays[k].logical == c.arrays[i].logical) {
        Refuse(Place(at, "logical"), "is used twice");
      }
      if (Field(list[i], "physical") && Field(list[k], "physical") &&
          c.arrays[k].physical == c.arrays[i].physical) {
        Refuse(Place(at, "physical"), "is used twice");
      }
    }
    if (Field(list[i], "logical")) logicalUsed[c.arrays[i].logical] = true;
    if (Field(list[i], "physical"))
      c.nextPhysical = std::max(c.nextPhysical, c.arrays[i].physical + 1);
  }
  for (std::size_t i = 0; i < c.arrays.size(); ++i) {
    Array& a = c.arrays[i];
    if (!Field(list[i], "logical")) {
      a.logical = 0;
      while (logicalUsed[a.logical]) ++a.logical;
      logicalUsed[a.logical] = true;
    }
    if (!Field(list[i], "physical")) a.physical = c.nextPhysical++;
  }
  for (std::size_t id = 0; id < declared.size(); ++id) {
    if (!declared[id].json) continue;
    const Json& j = *declared[id].json;
    const std::string& at = declared[id].place;
    Disk& d = c.disks[id];
    if (const Json* given = Field(j, "array")) {
      d.array = ReadInteger(*given, Place(at, "array"), -1, kU32);
    } else {
      for (const Array& a : c.arrays) {
        if (!std::count(a.members.begin(), a.members.end(), static_cast<int>(id))) continue;
        if (d.array >= 0) Refuse(at, "the disk is a member of two arrays");
        d.array = a.physical;
      }
    }
    const Array* owner = d.array >= 0 ? c.FindPhysical(d.array) : nullptr;
    if (d.array >= 0 && (!owner || !std::count(owner->members.begin(), owner->members.end(),
                                               static_cast<int>(id)))) {
      Refuse(Place(at, "array"), "names no array that lists the disk");
    }
    d.state = owner ? kDiskOnline : kDiskFree;
    if (const Json* s = Field(j, "state")) {
      d.state = static_cast<uint32_t>(
          ReadName(*s, Place(at, "state"), {"online", "failed", "free", "offline"}, 0, -1));
      if (d.state != kDiskFailed && (d.state == kDiskFree) != (owner == nullptr)) {
        Refuse(Place(at, "state"),
               owner ? "a member cannot be free" : "a disk in no array is free or failed");
      }
    }
  }
  for (std::size_t i = 0; i < c.arrays.size(); ++i) {
    Array& a = c.arrays[i];
    if (a.rebuildTarget >= 0 &&
        c.disks[static_cast<std::size_t>(a.rebuildTarget)].state != kDiskOnline) {
      Refuse(Place(Place(place, i), "rebuildTarget"), "the target must be an online member");
    }
    // The size comes from the members the array had before a conversion began.
    Array original = a;
    if (a.task.kind == Activity::Convert) original.members.resize(a.task.originalCount);
    ComputeCapacity(c, original);
    if (!Field(list[i], "memberSectors")) a.memberSectors = original.memberSectors;
    if (!Field(list[i], "sectors")) a.sectors = original.sectors;
  }
  std::sort(c.arrays.begin(), c.arrays.end(),
            [](const Array& x, const Array& y) { return x.logical < y.logical; });
}

void ReadController(const Json& j, const std::string& place, int index, Controller& c,
                    int64_t start);

}  // namespace

Model ReadModel(const std::string& text, int64_t now) {
  Json root = ParseDocument(text);
  ExpectObject(root, "", {"controllers", "timeline", "faults", "state"});
  Model m;
  m.startMs = now;
  if (const Json* s = Field(root, "state")) {
    ExpectObject(*s, "/state", {"startMs", "timelineNext", "manualClockMs"});
    m.startMs = ReadInteger(*s, "startMs", "/state", 0, INT64_MAX, now);
    m.timelineNext =
        static_cast<std::size_t>(ReadInteger(*s, "timelineNext", "/state", 0, 100000, 0));
    m.hasManualClock = Field(*s, "manualClockMs") != nullptr;
    m.manualClockMs = ReadInteger(*s, "manualClockMs", "/state", 0, INT64_MAX, 0);
  }
  const Json& controllers = ExpectArray(root, "controllers", "");
  if (controllers.empty() || controllers.size() > kMaxControllers) {
    Refuse("/controllers", "must list one or two controllers");
  }
  m.controllers.resize(controllers.size());
  for (std::size_t i = 0; i < controllers.size(); ++i) {
    ReadController(controllers[i], Place("/controllers", i), static_cast<int>(i), m.controllers[i],
                   m.startMs);
  }
  const Json& timeline = ExpectArray(root, "timeline", "");
  for (std::size_t i = 0; i < timeline.size(); ++i) {
    std::string at = Place("/timeline", i);
    if (!timeline[i].is_object() || !Field(timeline[i], "at"))
      Refuse(Place(at, "at"), "is missing: when it happens, in seconds");
    TimelineEntry e;
    e.atMs = ReadSeconds(timeline[i]["at"], Place(at, "at"), 10 * 365 * kDay);
    ReadAction(timeline[i], at, m.controllers.size());
    Json action = timeline[i];
    action.erase("at");
    e.action = action.dump();
    m.timeline.push_back(std::move(e));
  }
  std::stable_sort(m.timeline.begin(), m.timeline.end(),
                   [](const TimelineEntry& x, const TimelineEntry& y) { return x.atMs < y.atMs; });
  if (m.timelineNext > m.timeline.size())
    Refuse("/state/timelineNext", "is past the timeline's end");
  const Json& faults = ExpectArray(root, "faults", "");
  for (std::size_t i = 0; i < faults.size(); ++i) {
    std::string at = Place("/faults", i);
    const Json& j = faults[i];
    ExpectObject(j, at, {"function", "controller", "call", "fail", "misbehave", "output", "value"});
    Fault f;
    if (!Field(j, "function") || !j["function"].is_string() ||
        !FindFunction(j["function"].get<std::string>(), f.function)) {
      Refuse(Place(at, "function"), "must name one of the library's functions");
    }
    f.controller = static_cast<int32_t>(ReadInteger(j, "controller", at, -1, 1, -1));
    f.call = static_cast<int32_t>(ReadInteger(j, "call", at, 0, INT32_MAX, 0));
    f.status =
        static_cast<int32_t>(ReadInteger(j, "fail", at, INT32_MIN, INT32_MAX, SIM_E_INJECTED));
    if (const Json* how = Field(j, "misbehave")) {
      if (Field(j, "fail")) Refuse(at, "give either \"fail\" or \"misbehave\"");
      f.kind = static_cast<FaultKind>(
          1 + ReadName(*how, Place(at, "misbehave"),
                       {"count", "unterminated", "output", "silent"}, 0, -1));
      f.output = static_cast<int32_t>(ReadInteger(j, "output", at, 0, 15, 0));
      f.value = static_cast<int32_t>(ReadInteger(j, "value", at, INT32_MIN, INT32_MAX, 0));
    }
    m.faults.push_back(f);
  }
  return m;
}

namespace {

void ReadController(const Json& j, const std::string& place, int index, Controller& c,
                    int64_t start) {
  ExpectObject(j, place,
               {"info", "driverVersion", "driverDetail", "settings", "activitySeconds", "disks",
                "arrays", "bays", "battery", "events", "update", "nextPhysical"});
  const Json* info = Field(j, "info");
  ReadInfo(info ? *info : Json(), Place(place, "info"), index, c.info);
  c.version = Field(j, "driverVersion")
                  ? ReadText(j["driverVersion"], Place(place, "driverVersion"), 255)
                  : "Kv9000 driver 2.10.0042";
  c.versionDetail = Field(j, "driverDetail")
                        ? ReadText(j["driverDetail"], Place(place, "driverDetail"), 255)
                        : "firmware 1.07";
  const Json* settings = Field(j, "settings");
  ReadSettings(settings ? *settings : Json(), Place(place, "settings"), c.settings);
  if (const Json* s = Field(j, "activitySeconds")) {
    c.activityMs = std::max<int64_t>(1, ReadSeconds(*s, Place(place, "activitySeconds"), kDay));
  }
  c.nextPhysical = static_cast<uint32_t>(ReadInteger(j, "nextPhysical", place, 1, kU32, 1));
  c.updatePending = ReadBool(j, "update", place, false);

  std::vector<Declared> declared;
  ReadDisks(ExpectArray(j, "disks", place), Place(place, "disks"), c, declared);
  const Json& arrays = ExpectArray(j, "arrays", place);
  if (arrays.size() > kMaxArrays)
    Refuse(Place(place, "arrays"), "a controller holds at most 8 arrays");
  for (std::size_t i = 0; i < arrays.size(); ++i) {
    c.arrays.push_back(ReadArray(arrays[i], Place(Place(place, "arrays"), i), c, declared, start));
  }
  LinkArrays(arrays, Place(place, "arrays"), c, declared);
  const Json& bays = ExpectArray(j, "bays", place);
  std::vector<bool> seen(kChannels);
  for (std::size_t i = 0; i < bays.size(); ++i) {
    std::string at = Place(Place(place, "bays"), i);
    const Json& b = bays[i];
    ExpectObject(
        b, at,
        {"channel", "type", "fan", "temperature", "power5V", "power12V", "temperatureLimit"});
    if (!Field(b, "channel")) Refuse(Place(at, "channel"), "is missing");
    auto ch =
        static_cast<std::size_t>(ReadInteger(b["channel"], Place(at, "channel"), 0, kChannels - 1));
    if (seen[ch]) Refuse(Place(at, "channel"), "has a bay already");
    seen[ch] = true;
    Bay& bay = c.bays[ch];
    if (!Field(b, "type")) Refuse(Place(at, "type"), "is missing");
    bay.type = static_cast<int32_t>(ReadName(
        b["type"], Place(at, "type"),
        {"none", "plain", "quickbay", "hyperbay", "omnibay", "unknown"}, INT32_MIN, INT32_MAX));
    bay.fan = static_cast<int32_t>(ReadInteger(b, "fan", at, INT32_MIN, INT32_MAX, kNoReading));
    bay.temperature =
        static_cast<int32_t>(ReadInteger(b, "temperature", at, INT32_MIN, INT32_MAX, kNoReading));
    bay.power5V =
        static_cast<int32_t>(ReadInteger(b, "power5V", at, INT32_MIN, INT32_MAX, kNoReading));
    bay.power12V =
        static_cast<int32_t>(ReadInteger(b, "power12V", at, INT32_MIN, INT32_MAX, kNoReading));
    bay.temperatureLimit =
        static_cast<int32_t>(ReadInteger(b, "temperatureLimit", at, INT32_MIN, INT32_MAX, 50));
  }

  if (const Json* b = Field(j, "battery")) {
    std::string at = Place(place, "battery");
    ExpectObject(*b, at, {"module", "pack", "chargeStatus", "cycles", "temperature", "voltage"});
    Battery& bat = c.battery;
    bat.module = ReadBool(*b, "module", at, true);
    bat.pack = ReadBool(*b, "pack", at, true);
    bat.chargeStatus =
        static_cast<int32_t>(ReadInteger(*b, "chargeStatus", at, INT32_MIN, INT32_MAX, 9));
    bat.cycles = static_cast<uint16_t>(ReadInteger(*b, "cycles", at, 0, 65535, 0));
    bat.temperature = static_cast<uint16_t>(ReadInteger(*b, "temperature", at, 0, 65535, 25));
    bat.voltage = static_cast<uint16_t>(ReadInteger(*b, "voltage", at, 0, 65535, 8200));
  }

  const Json& events = ExpectArray(j, "events", place);
  for (std::size_t i = 0; i < events.size(); ++i) {
    std::string at = Place(Place(place, "events"), i);
    Json wrapped = {{"event", events[i]}};
    Action a = ReadAction(wrapped, at, 1);
    c.Queue(a.event.code, a.event.text);
    c.events.back().severity = a.event.severity;
  }
}

}  // namespace

}  // namespace swkv::sim
