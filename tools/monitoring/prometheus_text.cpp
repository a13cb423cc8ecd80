#include "tools/monitoring/prometheus_text.h"

#include <cstdio>
#include <vector>
#include <utility>

namespace swkv::mon {

namespace {

using Labels = std::vector<std::pair<const char*, std::string>>;

const char* const kArrayStates[] = {"normal",     "critical",   "down",   "synchronising",
                                    "rebuilding", "converting", "unknown"};
const char* const kDiskStates[] = {"good",   "failed",     "rebuilding", "waiting",
                                   "converting", "unknown"};
const char* const kSmartStates[] = {"functional", "error", "not_supported", "unknown"};

class Writer {
 public:
  explicit Writer(std::ostream& out) : m_out(out) {}

  void Family(const char* name, const char* type, const char* help) {
    m_name = name;
    m_out << "# HELP " << name << " " << help << "\n# TYPE " << name << " " << type << "\n";
  }
  void Sample(const Labels& labels, double value, const std::string& extraName = "",
              const std::string& extraValue = "") {
    m_out << m_name;
    bool first = true;
    for (const auto& [label, text] : labels) {
      m_out << (first ? "{" : ",") << label << "=\"" << LabelValue(text) << "\"";
      first = false;
    }
    if (!extraName.empty()) {
      m_out << (first ? "{" : ",") << extraName << "=\"" << LabelValue(extraValue) << "\"";
      first = false;
    }
    char number[40];
    std::snprintf(number, sizeof number, "%.12g", value);
    m_out << (first ? "" : "}") << " " << number << "\n";
  }
  template <class States>
  void OneHot(const Labels& labels, const States& states, const std::string& current) {
    for (const auto& state : states)
      Sample(labels, current == state ? 1 : 0, "state", state);
  }

 private:
  std::ostream& m_out;
  std::string m_name;
};

void WriteArrays(const SystemState& s, Writer& w) {
  w.Family("swkv_array_info", "gauge", "An array and its RAID mode (always 1).");
  for (const ArrayState& a : s.arrays)
    w.Sample({{"controller", a.controller}, {"array", a.name}, {"mode", a.mode}}, 1);
  w.Family("swkv_array_state", "gauge",
           "The array's state as the component reports it; while an activity runs the component "
           "reports the activity (synchronising, rebuilding, converting) in place of the state.");
  for (const ArrayState& a : s.arrays)
    w.OneHot({{"controller", a.controller}, {"array", a.name}}, kArrayStates, a.state);
  w.Family("swkv_array_activity_progress_ratio", "gauge",
           "Progress of the array's synchronisation, rebuild or conversion, 0 to 1.");
  for (const ArrayState& a : s.arrays)
    if (a.progress) w.Sample({{"controller", a.controller}, {"array", a.name}}, *a.progress);
  w.Family("swkv_array_activity_paused", "gauge", "1 when the array's activity is paused.");
  for (const ArrayState& a : s.arrays)
    if (a.progress) w.Sample({{"controller", a.controller}, {"array", a.name}}, a.paused);
  w.Family("swkv_array_size_bytes", "gauge", "The array's usable size.");
  for (const ArrayState& a : s.arrays)
    if (a.sizeBytes)
      w.Sample({{"controller", a.controller}, {"array", a.name}}, double(*a.sizeBytes));
  w.Family("swkv_array_block_size_bytes", "gauge", "The array's block (stripe) size.");
  for (const ArrayState& a : s.arrays)
    if (a.blockBytes)
      w.Sample({{"controller", a.controller}, {"array", a.name}}, double(*a.blockBytes));
}

void WriteDisks(const SystemState& s, Writer& w) {
  auto where = [](const DiskState& d) {
    return Labels{{"controller", d.controller},
                  {"channel", std::to_string(d.channel + 1)},
                  {"position", d.position}};
  };
  w.Family("swkv_disk_info", "gauge",
           "A disk, its model and the array it belongs to (empty: none); always 1.");
  for (const DiskState& d : s.disks)
    w.Sample({{"controller", d.controller}, {"channel", std::to_string(d.channel + 1)},
              {"position", d.position}, {"model", d.model}, {"array", d.array}},
             1);
  w.Family("swkv_disk_state", "gauge",
           "The disk's state: good, failed (or offline), rebuilding, waiting (to be rebuilt), "
           "converting, unknown.");
  for (const DiskState& d : s.disks) w.OneHot(where(d), kDiskStates, d.state);
  w.Family("swkv_disk_smart_state", "gauge", "What the disk's SMART reports.");
  for (const DiskState& d : s.disks)
    if (!d.smart.empty()) w.OneHot(where(d), kSmartStates, d.smart);
  w.Family("swkv_disk_size_bytes", "gauge", "The disk's size.");
  for (const DiskState& d : s.disks)
    if (d.sizeBytes) w.Sample(where(d), double(*d.sizeBytes));
}

void WriteBays(const SystemState& s, Writer& w) {
  w.Family("swkv_bay_temperature_celsius", "gauge", "The drive bay's temperature.");
  for (const BayState& b : s.bays)
    if (b.temperature) w.Sample({{"controller", b.controller}, {"bay", b.name}}, *b.temperature);
  w.Family("swkv_bay_fan_rpm", "gauge", "The drive bay's fan speed in revolutions per minute.");
  for (const BayState& b : s.bays)
    if (b.fanRpm) w.Sample({{"controller", b.controller}, {"bay", b.name}}, *b.fanRpm);
  w.Family("swkv_bay_supply_good", "gauge", "1 when the bay's supply rail is good, 0 failed.");
  for (const BayState& b : s.bays) {
    if (b.supply5V) w.Sample({{"controller", b.controller}, {"bay", b.name}, {"rail", "5V"}}, *b.supply5V);
    if (b.supply12V)
      w.Sample({{"controller", b.controller}, {"bay", b.name}, {"rail", "12V"}}, *b.supply12V);
  }
}

void WriteBatteries(const SystemState& s, Writer& w) {
  w.Family("swkv_battery_state", "gauge", "The battery module's charge status.");
  for (const BatteryState& b : s.batteries)
    w.OneHot({{"controller", b.controller}}, BatteryWords(), BatteryWord(b.status));
  w.Family("swkv_battery_temperature_celsius", "gauge", "The battery's temperature.");
  for (const BatteryState& b : s.batteries)
    if (b.temperature) w.Sample({{"controller", b.controller}}, *b.temperature);
  w.Family("swkv_battery_voltage_volts", "gauge", "The battery's voltage.");
  for (const BatteryState& b : s.batteries)
    if (b.volts) w.Sample({{"controller", b.controller}}, *b.volts);
  w.Family("swkv_battery_charge_cycles", "gauge", "Charge cycles the battery has gone through.");
  for (const BatteryState& b : s.batteries)
    if (b.cycles) w.Sample({{"controller", b.controller}}, *b.cycles);
}

}  // namespace

std::string LabelValue(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '\\') escaped += "\\\\";
    else if (c == '"') escaped += "\\\"";
    else if (c == '\n') escaped += "\\n";
    else escaped += c;
  }
  return escaped;
}

void WriteMetrics(const SystemState& state, const EventCounts* events, std::ostream& out) {
  Writer w(out);
  w.Family("swkv_controller_info", "gauge", "A controller, its hardware and driver (always 1).");
  for (const ControllerState& c : state.controllers)
    w.Sample({{"controller", c.path}, {"hardware", c.hardware}, {"driver", c.driver}}, 1);
  WriteArrays(state, w);
  WriteDisks(state, w);
  WriteBays(state, w);
  WriteBatteries(state, w);
  if (events) {
    w.Family("swkv_events_total", "counter",
             "Events read from the controllers' event logs since the exporter started.");
    for (const auto& [key, count] : *events)
      w.Sample({{"controller", std::get<0>(key)}, {"severity", std::get<1>(key)},
                {"name", std::get<2>(key)}},
               double(count));
  }
  w.Family("swkv_up", "gauge", "1 when the component was loaded and its tree read.");
  w.Sample({}, 1);
}

void WriteDownMetrics(std::ostream& out) {
  Writer w(out);
  w.Family("swkv_up", "gauge", "1 when the component was loaded and its tree read.");
  w.Sample({}, 0);
}

}  // namespace swkv::mon
