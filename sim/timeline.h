// Timeline actions (a disk fails, a reading changes, an event is queued, ...) and the model's
// progress in time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sim/json_read.h"
#include "sim/model.h"

namespace swkv::sim {

struct Action {
  enum class Kind { Disk, Bay, Battery, Event, Update } kind = Kind::Update;
  int controller = 0;
  // Disk: what happens to which disk; an insert may bring a new disk.
  int disk = -1;
  enum class Verb { Fail, Pull, Insert, Smart } verb = Verb::Fail;
  bool fresh = false;
  Disk inserted;
  uint32_t smart = 0;
  // Bay: the channel and the values that change.
  int channel = -1;
  std::optional<int32_t> type, fan, temperature, power5V, power12V, temperatureLimit;
  // Battery: the values that change.
  std::optional<bool> module, pack;
  std::optional<int32_t> chargeStatus;
  std::optional<uint16_t> cycles, batteryTemperature, voltage;
  // Event: the record to queue.
  Event event;
};

// Reads an action object (a timeline entry; "at" is allowed and ignored). Refuses with a place.
Action ReadAction(const Json& value, const std::string& place, std::size_t controllers);
int32_t ApplyAction(Model& m, const Action& action, int64_t now);

// Brings the model up to now: activities that end and timeline entries that fall due are applied
// in time order, each at its own time. True when anything was applied.
bool AdvanceModel(Model& m, int64_t now);

}  // namespace swkv::sim
