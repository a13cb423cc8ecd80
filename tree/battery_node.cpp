#include "tree/battery_node.h"

#include <iterator>

#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"

namespace swkv {

namespace {

constexpr const char* kStatusNames[] = {
    "BATTERY_OK",
    "BATTERY_BUSY",
    "BATTERY_RESERVERED_COMMAND",
    "BATTERY_UNSUPPORTED_COMMAND",
    "BATTERY_ACCESS_DENIED",
    "BATTERY_OVERFLOW_UNDERFLOW",
    "BATTERY_BAD_SIZE",
    "BATTERY_UNKNOWN_ERROR",
    "BATTERY_FULLY_DISCHARGED",
    "BATTERY_FULLY_CHARGED",
    "BATTERY_DISCHARGING",
    "BATTERY_INITIALIZED",
    "BATTERY_REMAINING_TIME_ALARM",
    "BATTERY_REMAINING_CAPACITY_ALARM",
    "BATTERY_TERMINATE_DISCHARGE_ALARM",
    "BATTERY_OVER_TEMP_ALARM",
    "BATTERY_TERMINATE_CHARGE_ALARM",
    "BATTERY_OVER_CHARGE_ALARM",
    "BATTERY_STATUS_UNKNOWN",
};
constexpr std::uint16_t kUnknown = 18;
// A code no library reports: the read did not give one.
constexpr std::int32_t kNoCode = INT32_MIN;

}  // namespace

const char* BatteryStatusName(std::uint16_t index) {
  return index < std::size(kStatusNames) ? kStatusNames[index] : kStatusNames[kUnknown];
}

std::uint16_t MapChargeStatus(std::int32_t code, std::uint16_t current) {
  if (code == -1) return kUnknown;
  if (code >= 0 && code <= 17) return static_cast<std::uint16_t>(code);
  return current;
}

BatteryNode* BatteryNode::New() { return new BatteryNode; }

int BatteryNode::Create(CRiver* parent, std::string_view name, std::int32_t id,
                        std::int32_t extra) {
  set_group_number(id);
  set_extra_number(extra);
  if (!Init(parent, name, id, 0, 0)) return 0;
  return ReadBattery();
}

int BatteryNode::Refresh() {
  m_readings = BatteryReadings{};
  return ReadBattery();
}

int BatteryNode::UpdateProperties() {
  SetIntProperty("BatteryTemperature", kChanging, m_readings.temperature);
  SetIntProperty("BatteryVoltage", kChanging, m_readings.voltage);
  SetProperty("BatteryChargeStatus", kChanging, "%s", BatteryStatusName(m_readings.statusIndex));
  SetIntProperty("BatteryChargeCycle", kChanging, m_readings.cycle);
  return 1;
}

int BatteryNode::ReadBattery() {
  if (!SelectController(extra_number())) return 0;
  // The module's presence decided the node's creation; the readings are taken as they come.
  raGetBatteryTemperature(&m_readings.temperature);
  raGetBatteryVoltage(&m_readings.voltage);
  std::int32_t code = kNoCode;
  raGetChargeStatus(&code);
  m_readings.statusIndex = MapChargeStatus(code, m_readings.statusIndex);
  raGetChargeCycle(&m_readings.cycle);
  UpdateProperties();
  RegisterActions();
  return 1;
}

}  // namespace swkv
