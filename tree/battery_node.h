// BatteryNode: the battery backup module of a controller, with its temperature, voltage,
// charge status and charge cycle count.
#pragma once

#include <cstdint>

#include "river/river_node.h"

namespace swkv {

// The four battery readings, as the node and the controller's poll keep them.
struct BatteryReadings {
  std::uint16_t temperature = 0;
  std::uint16_t voltage = 0;
  std::uint16_t statusIndex = 18;  // BATTERY_STATUS_UNKNOWN
  std::uint16_t cycle = 0;
};

// The text of a status index (0 to 18).
const char* BatteryStatusName(std::uint16_t index);
// The status index for the library's charge status code: -1 is unknown, 0 to 17 are their own
// index, and any other code leaves the current index.
std::uint16_t MapChargeStatus(std::int32_t code, std::uint16_t current);

class BatteryNode : public CRiverContainer {
 public:
  static constexpr std::int32_t kKind = 29;

  // A new battery node (count 0). Create(controller, "battery", slot, controller index).
  static BatteryNode* New();

  int Create(CRiver* parent, std::string_view name, std::int32_t id, std::int32_t extra) override;
  int Refresh() override;
  int UpdateProperties() override;

  const BatteryReadings& readings() const { return m_readings; }

 protected:
  BatteryNode() { set_kind(kKind); }
  ~BatteryNode() override = default;

 private:
  int ReadBattery();

  BatteryReadings m_readings;
};

}  // namespace swkv
