// The decoded events of a controller node, as the polling pass leaves them for the event log.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "raidlib/raidapikv9k.h"

namespace swkv {

struct EventSlot {
  std::uint32_t category = 0;
  std::string name;
  std::string text;
  std::uint32_t severity = 0;
};

struct EventLogState {
  static constexpr std::size_t kSlots = RA_MAX_EVENTS;
  std::array<EventSlot, kSlots> slots;
  std::uint32_t newCount = 0;      // events of the last batch not yet read
  std::uint32_t readPosition = 0;  // the slot the next read returns
};

// Stores a batch of event records into the slots: the count replaces the previous count, the
// read position goes back to 0, and slots past the batch keep earlier batches. At most 20
// records are taken.
void DecodeEvents(EventLogState& log, const RaEventRecord* records, std::int32_t count);

// The category and short name of an event code; false for codes outside -1 to 28.
bool LookUpEvent(std::int32_t code, std::uint32_t* category, const char** name);

}  // namespace swkv
