// Writing the model as a state document: the scenario format, with every runtime field that the
// reader needs to give back the same model.
#include <cstdio>

#include "sim/json_read.h"
#include "sim/scenario.h"

namespace swkv::sim {

namespace {

using Ordered = nlohmann::ordered_json;

constexpr const char* kModes[] = {"striping", "mirroring", "stripe-mirroring",
                                  "spanning", "parity",    "distributed-parity"};
constexpr const char* kDiskStates[] = {"online", "failed", "free", "offline"};
constexpr const char* kTasks[] = {"none", "rebuild", "sync", "convert"};

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

Ordered WriteEvent(const Event& e) {
  return Ordered{{"code", e.code}, {"severity", e.severity}, {"text", TextToJson(e.text)}};
}

Ordered WriteArray(const Array& a) {
  Ordered j;
  j["name"] = TextToJson(a.name);
  j["mode"] = kModes[a.mode];
  j["members"] = a.members;
  j["blockSectors"] = a.blockSectors;
  j["logical"] = a.logical;
  j["physical"] = a.physical;
  j["memberSectors"] = a.memberSectors;
  j["sectors"] = a.sectors;
  if (a.rebuildTarget >= 0) j["rebuildTarget"] = a.rebuildTarget;
  if (a.task.kind != Activity::None) {
    const Task& t = a.task;
    Ordered task{{"kind", kTasks[static_cast<int>(t.kind)]},
                 {"paused", t.paused},
                 {"automatic", t.automatic},
                 {"doneMs", t.doneMs},
                 {"runningSince", t.runningSince},
                 {"totalMs", t.totalMs}};
    if (t.kind == Activity::Convert) {
      task["targetMode"] = kModes[t.targetMode];
      task["targetBlockSectors"] = t.targetBlock;
      task["originalCount"] = t.originalCount;
    }
    j["task"] = task;
  }
  return j;
}

Ordered WriteController(const Controller& c) {
  Ordered j;
  const RaControllerInfo& i = c.info;
  j["info"] = Ordered{{"irq", i.irq},
                      {"bmb", Hex(i.bmb)},
                      {"rba", Hex(i.rba)},
                      {"ata", Hex(i.ataBase)},
                      {"hdma", Hex(i.hdmaBase)},
                      {"seq", Hex(i.seqBase)},
                      {"mmio", Hex(i.mmioBase)},
                      {"sdram", Hex(i.sdramBase)}};
  j["driverVersion"] = TextToJson(c.version);
  j["driverDetail"] = TextToJson(c.versionDetail);
  const Settings& s = c.settings;
  j["settings"] = Ordered{{"originalChannels", s.originalChannels},
                          {"channelThreshold", s.channelThreshold},
                          {"writeCache", s.writeCache},
                          {"hotSpares", s.hotSpares},
                          {"smartCheck", s.smartCheck},
                          {"rebuildRate", s.rebuildRate},
                          {"readThreshold", s.readThreshold},
                          {"writeThreshold", s.writeThreshold},
                          {"submitChannelThreshold", s.submitChannelThreshold},
                          {"writeMode", s.writeMode}};
  j["activitySeconds"] = static_cast<double>(c.activityMs) / 1000;
  Ordered disks = Ordered::array();
  for (std::size_t id = 0; id < c.disks.size(); ++id) {
    const Disk& d = c.disks[id];
    if (!d.present && d.model.empty() && d.array < 0) continue;
    disks.push_back(Ordered{{"disk", id},
                            {"model", TextToJson(d.model)},
                            {"sectors", d.sectors},
                            {"cylinders", d.cylinders},
                            {"heads", d.heads},
                            {"sectorsPerTrack", d.sectorsPerTrack},
                            {"timing", d.timing},
                            {"smart", d.smart},
                            {"state", kDiskStates[d.state]},
                            {"present", d.present},
                            {"array", d.array}});
  }
  j["disks"] = disks;
  Ordered arrays = Ordered::array();
  for (const Array& a : c.arrays) arrays.push_back(WriteArray(a));
  j["arrays"] = arrays;
  Ordered bays = Ordered::array();
  for (std::size_t ch = 0; ch < c.bays.size(); ++ch) {
    const Bay& b = c.bays[ch];
    if (b.type == kBayNone && b.fan == kNoReading && b.temperature == kNoReading &&
        b.power5V == kNoReading && b.power12V == kNoReading) {
      continue;
    }
    bays.push_back(Ordered{{"channel", ch},
                           {"type", b.type},
                           {"fan", b.fan},
                           {"temperature", b.temperature},
                           {"power5V", b.power5V},
                           {"power12V", b.power12V},
                           {"temperatureLimit", b.temperatureLimit}});
  }
  j["bays"] = bays;
  const Battery& b = c.battery;
  if (b.module || b.pack) {
    j["battery"] = Ordered{{"module", b.module},
                           {"pack", b.pack},
                           {"chargeStatus", b.chargeStatus},
                           {"cycles", b.cycles},
                           {"temperature", b.temperature},
                           {"voltage", b.voltage}};
  }
  Ordered events = Ordered::array();
  for (const Event& e : c.events) events.push_back(WriteEvent(e));
  j["events"] = events;
  j["update"] = c.updatePending;
  j["nextPhysical"] = c.nextPhysical;
  return j;
}

Ordered WriteFault(const Fault& f) {
  Ordered j{{"function", FunctionName(f.function)}, {"controller", f.controller}, {"call", f.call}};
  constexpr const char* kKinds[] = {"fail", "count", "unterminated", "output", "silent"};
  if (f.kind == FaultKind::Fail) {
    j["fail"] = f.status;
  } else {
    j["misbehave"] = kKinds[static_cast<int>(f.kind)];
    j["output"] = f.output;
    j["value"] = f.value;
  }
  return j;
}

}  // namespace

std::string WriteModel(const Model& m) {
  Ordered root;
  Ordered controllers = Ordered::array();
  for (const Controller& c : m.controllers) controllers.push_back(WriteController(c));
  root["controllers"] = controllers;
  Ordered timeline = Ordered::array();
  for (const TimelineEntry& e : m.timeline) {
    Ordered entry{{"at", static_cast<double>(e.atMs) / 1000}};
    Ordered action = Ordered::parse(e.action);
    for (auto& item : action.items()) entry[item.key()] = item.value();
    timeline.push_back(entry);
  }
  root["timeline"] = timeline;
  Ordered faults = Ordered::array();
  for (const Fault& f : m.faults) faults.push_back(WriteFault(f));
  root["faults"] = faults;
  Ordered state{{"startMs", m.startMs}, {"timelineNext", m.timelineNext}};
  if (m.hasManualClock) state["manualClockMs"] = m.manualClockMs;
  root["state"] = state;
  return root.dump(2) + "\n";
}

}  // namespace swkv::sim
