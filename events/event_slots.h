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
  std::uint32_t newCount = 0;      // events not yet read, from the read position on
  std::uint32_t readPosition = 0;  // the slot the next read returns
};

// Appends a batch of event records after the events not read yet: those move to the front, the
// read position goes back to 0 and the count covers both. The slots hold 20: when more are
// waiting, the oldest unread give way. Slots past the count keep earlier batches.
void DecodeEvents(EventLogState& log, const RaEventRecord* records, std::int32_t count);

// The category and short name of an event code; false for codes outside -1 to 28.
bool LookUpEvent(std::int32_t code, std::uint32_t* category, const char** name);

}  // namespace swkv
