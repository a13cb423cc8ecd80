// The sensor polls of a controller node, run by the polling pass every tenth count: the readings
// of the controller's drive bays and of its battery module become properties of the controller
// node, and a change (or the 180th unchanged poll) notifies the agent.
#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"
#include "mxaraid/interfaces.h"
#include "tree/controller_node.h"
#include "tree/enclosure_node.h"

namespace swkv {

namespace {

// Notifies after a change, and re-announces an unchanged controller every 180th poll.
int Announce(ControllerNode* node, std::int32_t& count, bool changed) {
  if (!changed) {
    const std::int32_t old = count++;
    if (old % 180 != 0) return 0;
  }
  count = 1;
  node->FireNotification(kNotifyChanged);
  return 1;
}

}  // namespace

std::int32_t& EnclosurePollCount() {
  static std::int32_t s_count = 0;
  return s_count;
}

std::int32_t& BatteryPollCount() {
  static std::int32_t s_count = 0;
  return s_count;
}

template <class T>
bool ControllerNode::UpdateReading(const char* property, T* stored, T candidate) {
  if (*stored == candidate) return false;
  *stored = candidate;
  SetIntProperty(property, kChanging, static_cast<std::int32_t>(candidate));
  return true;
}

int ControllerNode::EnclosurePoll() {
  if (!Select()) return 0;
  static constexpr const char* kProperties[4] = {"FanRPM", "Temperature", "Power5VStatus",
                                                 "Power12VStatus"};
  // Candidates carry over from one bay to the next: the node shows the last bay's readings.
  std::array<std::int32_t, 4> candidates = m_enclosure;
  bool changed = false;
  const std::int32_t first = FirstBayChannel(controller_index());
  for (std::int32_t channel = first; channel <= first + 3; ++channel) {
    std::int32_t type = -1, spare = 0;
    std::int32_t status[4] = {kNoReading, kNoReading, kNoReading, kNoReading};
    RecordStatus(
        raGetEnclosureStatus(static_cast<std::uint32_t>(2 * channel), &type, &spare, status));
    if (type == -1) continue;
    if (IsSensorBay(type)) {
      for (int i = 0; i < 4; ++i)
        if (status[i] != kNoReading) candidates[i] = status[i];
    }
    for (int i = 0; i < 4; ++i)
      changed = UpdateReading(kProperties[i], &m_enclosure[i], candidates[i]) || changed;
  }
  return Announce(this, EnclosurePollCount(), changed);
}

int ControllerNode::BatteryPoll() {
  if (!Select()) return 0;
  BatteryReadings candidates = m_battery;
  std::int32_t present = 0;
  raCheckBatteryBackModule(&present);
  if (present) {
    present = 0;
    raCheckBatteryPack(&present);
  }
  if (present) {
    RecordStatus(raGetBatteryTemperature(&candidates.temperature));
    RecordStatus(raGetBatteryVoltage(&candidates.voltage));
    std::int32_t code = INT32_MIN;
    RecordStatus(raGetChargeStatus(&code));
    candidates.statusIndex = MapChargeStatus(code, candidates.statusIndex);
    RecordStatus(raGetChargeCycle(&candidates.cycle));
  }
  bool changed = UpdateReading("BatteryTemperature", &m_battery.temperature, candidates.temperature);
  changed = UpdateReading("BatteryVoltage", &m_battery.voltage, candidates.voltage) || changed;
  if (m_battery.statusIndex != candidates.statusIndex) {
    m_battery.statusIndex = candidates.statusIndex;
    SetProperty("BatteryChargeStatus", kChanging, "%s", BatteryStatusName(m_battery.statusIndex));
    changed = true;
  }
  changed = UpdateReading("BatteryChargeCycle", &m_battery.cycle, candidates.cycle) || changed;
  return Announce(this, BatteryPollCount(), changed);
}

}  // namespace swkv
