#include "sim/timeline.h"

#include "sim/rules.h"
#include "sim/sim_control.h"

namespace swkv::sim {

namespace {

std::optional<int32_t> Optional(const Json& object, const char* key, const std::string& place,
                                int64_t low, int64_t high) {
  const Json* v = Field(object, key);
  if (!v) return std::nullopt;
  return static_cast<int32_t>(ReadInteger(*v, Place(place, key), low, high));
}

void ReadDiskAction(const Json& j, const std::string& place, Action& a) {
  ExpectObject(j, place,
               {"at", "controller", "disk", "do", "model", "sectors", "cylinders", "heads",
                "sectorsPerTrack", "timing", "smart"});
  a.kind = Action::Kind::Disk;
  a.disk = static_cast<int>(ReadInteger(j["disk"], Place(place, "disk"), 0, 7));
  const Json* verb = Field(j, "do");
  if (!verb) Refuse(Place(place, "do"), "is missing: say what happens to the disk");
  a.verb = static_cast<Action::Verb>(
      ReadName(*verb, Place(place, "do"), {"fail", "pull", "insert", "smart"}, 0, -1));
  if (a.verb == Action::Verb::Smart) {
    if (!Field(j, "smart")) Refuse(Place(place, "smart"), "is missing");
    a.smart = static_cast<uint32_t>(ReadInteger(j["smart"], Place(place, "smart"), 0, 255));
  }
  if (a.verb == Action::Verb::Insert && Field(j, "model")) {
    a.fresh = true;
    Disk& d = a.inserted;
    d.model = ReadText(j["model"], Place(place, "model"), kMaxName);
    if (d.model.empty()) Refuse(Place(place, "model"), "a disk needs a model name");
    d.sectors = static_cast<uint32_t>(ReadInteger(j, "sectors", place, 1, UINT32_MAX, 78165360));
    d.cylinders = static_cast<uint32_t>(ReadInteger(j, "cylinders", place, 0, UINT32_MAX, 0));
    d.heads = static_cast<uint32_t>(ReadInteger(j, "heads", place, 0, 255, 0));
    d.sectorsPerTrack = static_cast<uint32_t>(ReadInteger(j, "sectorsPerTrack", place, 0, 255, 0));
    d.timing = static_cast<int32_t>(ReadInteger(j, "timing", place, INT32_MIN, INT32_MAX, 0));
    d.smart = static_cast<uint32_t>(ReadInteger(j, "smart", place, 0, UINT32_MAX, 1));
  } else if (a.verb != Action::Verb::Smart) {
    for (const char* key :
         {"sectors", "cylinders", "heads", "sectorsPerTrack", "timing", "smart"}) {
      if (Field(j, key)) Refuse(Place(place, key), "belongs to an insert with a \"model\"");
    }
  }
}

void ReadBayAction(const Json& j, const std::string& place, Action& a) {
  ExpectObject(j, place,
               {"at", "controller", "bay", "type", "fan", "temperature", "power5V", "power12V",
                "temperatureLimit"});
  a.kind = Action::Kind::Bay;
  a.channel = static_cast<int>(ReadInteger(j["bay"], Place(place, "bay"), 0, kChannels - 1));
  if (const Json* t = Field(j, "type")) {
    a.type = static_cast<int32_t>(ReadName(
        *t, Place(place, "type"), {"none", "plain", "quickbay", "hyperbay", "omnibay", "unknown"},
        INT32_MIN, INT32_MAX));
  }
  a.fan = Optional(j, "fan", place, INT32_MIN, INT32_MAX);
  a.temperature = Optional(j, "temperature", place, INT32_MIN, INT32_MAX);
  a.power5V = Optional(j, "power5V", place, INT32_MIN, INT32_MAX);
  a.power12V = Optional(j, "power12V", place, INT32_MIN, INT32_MAX);
  a.temperatureLimit = Optional(j, "temperatureLimit", place, INT32_MIN, INT32_MAX);
}

void ReadBatteryAction(const Json& j, const std::string& place, Action& a) {
  ExpectObject(j, place, {"at", "controller", "battery"});
  a.kind = Action::Kind::Battery;
  std::string at = Place(place, "battery");
  const Json& b = j["battery"];
  ExpectObject(b, at, {"module", "pack", "chargeStatus", "cycles", "temperature", "voltage"});
  if (Field(b, "module")) a.module = ReadBool(b, "module", at, false);
  if (Field(b, "pack")) a.pack = ReadBool(b, "pack", at, false);
  a.chargeStatus = Optional(b, "chargeStatus", at, INT32_MIN, INT32_MAX);
  if (auto v = Optional(b, "cycles", at, 0, 65535)) a.cycles = static_cast<uint16_t>(*v);
  if (auto v = Optional(b, "temperature", at, 0, 65535)) {
    a.batteryTemperature = static_cast<uint16_t>(*v);
  }
  if (auto v = Optional(b, "voltage", at, 0, 65535)) a.voltage = static_cast<uint16_t>(*v);
}

void ReadEventAction(const Json& j, const std::string& place, Action& a) {
  ExpectObject(j, place, {"at", "controller", "event"});
  a.kind = Action::Kind::Event;
  std::string at = Place(place, "event");
  const Json& e = j["event"];
  ExpectObject(e, at, {"code", "severity", "text"});
  if (!Field(e, "code")) Refuse(Place(at, "code"), "is missing");
  a.event.code =
      static_cast<int32_t>(ReadInteger(e["code"], Place(at, "code"), INT32_MIN, INT32_MAX));
  a.event.severity = static_cast<uint32_t>(
      ReadInteger(e, "severity", at, 0, UINT32_MAX, SeverityOf(a.event.code)));
  a.event.text = Field(e, "text") ? ReadText(e["text"], Place(at, "text"), kMaxEventText) : "";
}

}  // namespace

Action ReadAction(const Json& j, const std::string& place, std::size_t controllers) {
  if (!j.is_object()) Refuse(place, "must be an object");
  Action a;
  a.controller = static_cast<int>(
      ReadInteger(j, "controller", place, 0, static_cast<int64_t>(controllers) - 1, 0));
  if (Field(j, "disk")) {
    ReadDiskAction(j, place, a);
  } else if (Field(j, "bay")) {
    ReadBayAction(j, place, a);
  } else if (Field(j, "battery")) {
    ReadBatteryAction(j, place, a);
  } else if (Field(j, "event")) {
    ReadEventAction(j, place, a);
  } else if (Field(j, "update")) {
    ExpectObject(j, place, {"at", "controller", "update"});
    if (!ReadBool(j, "update", place, false)) Refuse(Place(place, "update"), "must be true");
    a.kind = Action::Kind::Update;
  } else {
    Refuse(place,
           "says nothing to do: give \"disk\", \"bay\", \"battery\", \"event\" or \"update\"");
  }
  return a;
}

int32_t ApplyAction(Model& m, const Action& a, int64_t now) {
  if (a.controller < 0 || static_cast<std::size_t>(a.controller) >= m.controllers.size()) {
    return SIM_E_NOT_OPEN;
  }
  Controller& c = m.controllers[static_cast<std::size_t>(a.controller)];
  switch (a.kind) {
    case Action::Kind::Disk:
      switch (a.verb) {
        case Action::Verb::Fail: return FailDisk(c, now, a.disk);
        case Action::Verb::Pull: return PullDisk(c, now, a.disk);
        case Action::Verb::Insert:
          return InsertDisk(c, now, a.disk, a.fresh ? &a.inserted : nullptr);
        case Action::Verb::Smart: return SetDiskSmart(c, a.disk, a.smart);
      }
      return SIM_E_ARGUMENT;
    case Action::Kind::Bay: {
      Bay next = c.bays[static_cast<std::size_t>(a.channel)];
      next.type = a.type.value_or(next.type);
      next.fan = a.fan.value_or(next.fan);
      next.temperature = a.temperature.value_or(next.temperature);
      next.power5V = a.power5V.value_or(next.power5V);
      next.power12V = a.power12V.value_or(next.power12V);
      next.temperatureLimit = a.temperatureLimit.value_or(next.temperatureLimit);
      SetBayReadings(c, a.channel, next);
      return 0;
    }
    case Action::Kind::Battery: {
      Battery& b = c.battery;
      b.module = a.module.value_or(b.module);
      b.pack = a.pack.value_or(b.pack);
      b.chargeStatus = a.chargeStatus.value_or(b.chargeStatus);
      b.cycles = a.cycles.value_or(b.cycles);
      b.temperature = a.batteryTemperature.value_or(b.temperature);
      b.voltage = a.voltage.value_or(b.voltage);
      return 0;
    }
    case Action::Kind::Event:
      c.Queue(a.event.code, a.event.text);
      c.events.back().severity = a.event.severity;
      return 0;
    case Action::Kind::Update: c.updatePending = true; return 0;
  }
  return SIM_E_ARGUMENT;
}

bool AdvanceModel(Model& m, int64_t now) {
  bool applied = false;
  for (;;) {
    // The earliest due happening: an activity's end (first) or the next timeline entry.
    int64_t when = INT64_MAX;
    Controller* owner = nullptr;
    Array* ending = nullptr;
    for (Controller& c : m.controllers) {
      for (Array& a : c.arrays) {
        int64_t end = TaskEndsAt(a);
        if (end >= 0 && end < when) {
          when = end;
          owner = &c;
          ending = &a;
        }
      }
    }
    bool entryDue =
        m.timelineNext < m.timeline.size() && m.startMs + m.timeline[m.timelineNext].atMs < when;
    if (entryDue) when = m.startMs + m.timeline[m.timelineNext].atMs;
    if (when > now) break;
    applied = true;
    m.nowMs = std::max(m.nowMs, when);
    if (entryDue) {
      const TimelineEntry& entry = m.timeline[m.timelineNext++];
      // Checked when loaded; an entry that does not fit the moment (failing a disk that is not
      // there) does nothing.
      ApplyAction(m, ReadAction(Json::parse(entry.action), "/timeline", m.controllers.size()),
                  when);
    } else {
      FinishTask(*owner, *ending);
    }
  }
  m.nowMs = std::max(m.nowMs, now);
  return applied;
}

}  // namespace swkv::sim
