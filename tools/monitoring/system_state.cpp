#include "tools/monitoring/system_state.h"

#include <cstdlib>
#include <map>

#include "tools/swkvctl/entry_json.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/value_notes.h"

namespace swkv::mon {

namespace {

using ctl::Entry;
using ctl::NodeRecord;

const std::vector<std::string> kBatteryWords = {
    "ok", "busy", "reservered_command", "unsupported_command", "access_denied",
    "overflow_underflow", "bad_size", "unknown_error", "fully_discharged", "fully_charged",
    "discharging", "initialized", "remaining_time_alarm", "remaining_capacity_alarm",
    "terminate_discharge_alarm", "over_temp_alarm", "terminate_charge_alarm", "over_charge_alarm",
    "status_unknown"};

std::string ValueOf(const NodeRecord& node, const char* name) {
  const Entry* entry = node.FindEntry(name);
  return entry ? entry->value : "";
}

// A size text in bytes, as swkvctl's JSON gives it; nothing for another text.
std::optional<std::uint64_t> SizeOf(const std::string& text) {
  const long long bytes = ctl::SizeBytes(text);
  if (bytes < 0) return std::nullopt;
  return static_cast<std::uint64_t>(bytes);
}

// A whole number; nothing for an empty or malformed text.
std::optional<long long> Number(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (!end || *end != '\0') return std::nullopt;
  return value;
}

// A sensor reading: the component gives -2 when there was none.
std::optional<double> Reading(const std::string& text) {
  const auto value = Number(text);
  if (!value || *value == -2) return std::nullopt;
  return static_cast<double>(*value);
}

std::optional<bool> Supply(const std::string& text) {
  const auto value = Number(text);
  if (!value || (*value != 0 && *value != 1)) return std::nullopt;
  return *value == 1;
}

std::string DiskWord(const NodeRecord& disk) {
  const std::string status = ValueOf(disk, "Status");
  if (status == "256") return "good";
  if (status == "512") return "failed";
  if (status == "-2147483647") {
    if (ValueOf(disk, "Rebuild") == "1") return "rebuilding";
    if (ValueOf(disk, "Rebuild") == "2") return "waiting";
    if (ValueOf(disk, "Convert") == "3") return "converting";
  }
  return "unknown";
}

std::string SmartWord(const std::string& smart) {
  if (smart == "Functional") return "functional";
  if (smart == "Error") return "error";
  if (smart == "Not Supported") return "not_supported";
  if (smart == "Unknown") return "unknown";
  return "";
}

// The controller a node lies below: the first name of its path.
std::string ControllerOf(const std::string& path) { return path.substr(0, path.find('/')); }

void ReadArray(const NodeRecord& node, SystemState& state) {
  ArrayState array;
  array.controller = ControllerOf(node.path);
  array.path = node.path;
  array.name = node.name;
  array.mode = ValueOf(node, "RAID_Mode");
  // Live: the component asks the controller for these.
  std::string throttle, percent;
  ctl::GetValue(node.river.get(), "Status", array.status);
  ctl::GetValue(node.river.get(), "ThrottleStatus", throttle);
  ctl::GetValue(node.river.get(), "percent", percent);
  Entry status{"Status", "prv", array.status};
  array.state = ctl::ValueNote(ctl::kKindArray, status);
  if (array.state.empty()) array.state = "unknown";
  const bool active =
      array.state == "synchronising" || array.state == "rebuilding" || array.state == "converting";
  if (active) {
    if (const auto value = Number(percent); value && *value >= 0 && *value <= 100)
      array.progress = static_cast<double>(*value) / 100.0;
    array.paused = throttle == "4";
  }
  array.described = ctl::DescribeArrayState(array.status, throttle, active ? percent : "");
  array.sizeBytes = SizeOf(ValueOf(node, "Size"));
  if (const auto kb = Number(ValueOf(node, "Block Size").substr(
          0, ValueOf(node, "Block Size").find(' ')));
      kb && *kb > 0)
    array.blockBytes = static_cast<std::uint64_t>(*kb) * 1024;
  state.arrays.push_back(std::move(array));
}

}  // namespace

std::string BatteryWord(const std::string& status) {
  const std::string prefix = "BATTERY_";
  std::string word = status.rfind(prefix, 0) == 0 ? status.substr(prefix.size()) : status;
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

const std::vector<std::string>& BatteryWords() { return kBatteryWords; }

SystemState ReadSystemState(const ctl::TreeSnapshot& tree) {
  SystemState state;
  const auto& nodes = tree.nodes();
  // A disk shows below its channel and, when it belongs to one, below its array too: the kind of
  // its parent tells which (a name does not: an array may be called "ch1").
  std::vector<int> parentKind(nodes.size(), 0);
  std::vector<std::size_t> parent(nodes.size(), 0);
  for (std::size_t i = 0; i < nodes.size(); ++i)
    for (std::size_t child : nodes[i].children) {
      parentKind[child] = nodes[i].kind;
      parent[child] = i;
    }
  // An array lists its members as "disk<number + 1>", the number being twice the channel plus
  // one for a slave.
  std::map<std::string, std::string> memberOf;  // "HBA1 disk3" -> "System"
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].kind != ctl::kKindDisk || parentKind[i] != ctl::kKindArray) continue;
    // The array's own name, not its step in a path (which escapes '/' and '\\').
    memberOf[ControllerOf(nodes[i].path) + " " + nodes[i].name] = nodes[parent[i]].name;
  }
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const NodeRecord& node = nodes[i];
    switch (node.kind) {
      case ctl::kKindController:
        state.controllers.push_back({node.path, ValueOf(node, "HardWare"), ValueOf(node, "DV")});
        break;
      case ctl::kKindArray: ReadArray(node, state); break;
      case ctl::kKindDisk: {
        if (parentKind[i] != ctl::kKindChannel) break;
        DiskState disk;
        disk.controller = ControllerOf(node.path);
        disk.path = node.path;
        disk.position = node.name;
        if (const auto channel = Number(ValueOf(node, "Channel"))) disk.channel = int(*channel);
        disk.state = DiskWord(node);
        disk.smart = SmartWord(ValueOf(node, "smart"));
        disk.model = ValueOf(node, "model");
        disk.sizeText = ValueOf(node, "Size");
        disk.sizeBytes = SizeOf(disk.sizeText);
        if (disk.channel >= 0) {
          const int number = 2 * disk.channel + (disk.position == "slave" ? 1 : 0);
          auto found = memberOf.find(disk.controller + " disk" + std::to_string(number + 1));
          if (found != memberOf.end()) disk.array = found->second;
        }
        state.disks.push_back(std::move(disk));
        break;
      }
      case ctl::kKindBay: {
        BayState bay;
        bay.controller = ControllerOf(node.path);
        bay.name = node.name;
        bay.path = node.path;
        bay.temperature = Reading(ValueOf(node, "Temperature"));
        bay.fanRpm = Reading(ValueOf(node, "FanRPM"));
        bay.supply5V = Supply(ValueOf(node, "Power5VStatus"));
        bay.supply12V = Supply(ValueOf(node, "Power12VStatus"));
        state.bays.push_back(std::move(bay));
        break;
      }
      case ctl::kKindBattery: {
        BatteryState battery;
        battery.controller = ControllerOf(node.path);
        battery.path = node.path;
        battery.status = ValueOf(node, "BatteryChargeStatus");
        battery.temperature = Reading(ValueOf(node, "BatteryTemperature"));
        if (const auto mv = Reading(ValueOf(node, "BatteryVoltage"))) battery.volts = *mv / 1000.0;
        battery.cycles = Reading(ValueOf(node, "BatteryChargeCycle"));
        state.batteries.push_back(std::move(battery));
        break;
      }
      default: break;
    }
  }
  return state;
}

}  // namespace swkv::mon
