#include <algorithm>

#include "events/event_slots.h"

namespace swkv {

namespace {

struct EventKind {
  std::uint32_t category;
  const char* name;
};

// Event codes -1 to 28, in order.
constexpr EventKind kEventKinds[] = {
    {0, "Unknown Event"},          // -1
    {0, "ECC Error"},              // 0
    {0x100, "Drv. Fail"},          // 1
    {0x101, "Dsk. PLUGIN"},        // 2
    {0x200, "Ary. Bad Sector"},    // 3
    {0x201, "Ary. Rebuild"},       // 4
    {0x204, "Array Sync."},        // 5
    {0, "Array Convert"},          // 6
    {0x206, "Retry Task."},        // 7
    {0x20A, "Ary. Critical"},      // 8
    {0x209, "Ary. Down"},          // 9
    {0x20B, "Rebuild Complete"},   // 10
    {0x20C, "Sync. Complete"},     // 11
    {0, "Convert Complete"},       // 12
    {0x20D, "Ary. Disk Error"},    // 13
    {0x102, "Reserved Sector Err."},  // 14
    {0x203, "Rebuild Stopped"},    // 15
    {0x205, "Sync. Stopped"},      // 16
    {0, "Convert Stopped"},        // 17
    {0, "Sync. Compare Error"},    // 18
    {0, "SMART Error"},            // 19
    {0, "Swap Power Down"},        // 20
    {0, "Swap Power Up"},          // 21
    {0, "Bad Swap"},               // 22
    {0x20E, "Temperture Error"},   // 23
    {0x20F, "FAN STOPPED"},        // 24
    {0x211, "Voltage Error"},      // 25
    {0x210, "Voltage Error"},      // 26
    {0x207, "Array Create"},       // 27
    {0x208, "Array Delete"},       // 28
};

}  // namespace

bool LookUpEvent(std::int32_t code, std::uint32_t* category, const char** name) {
  if (code < -1 || code > 28) return false;
  const EventKind& kind = kEventKinds[code + 1];
  *category = kind.category;
  *name = kind.name;
  return true;
}

void DecodeEvents(EventLogState& log, const RaEventRecord* records, std::int32_t count) {
  auto& slots = log.slots;
  constexpr std::size_t kSlots = EventLogState::kSlots;
  const std::size_t position = std::min<std::size_t>(log.readPosition, kSlots);
  std::size_t unread = std::min<std::size_t>(log.newCount, kSlots - position);
  const auto taken = static_cast<std::size_t>(
      std::clamp<std::int32_t>(count, 0, static_cast<std::int32_t>(kSlots)));
  // Events the agent has not read yet stay readable: they move to the front, and the new batch
  // follows them. When more are waiting than the slots hold, the oldest unread give way.
  // With nothing waiting the batch fills the slots from the first, as it always did.
  if (unread > 0)
    std::rotate(slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(position), slots.end());
  if (unread + taken > kSlots) {
    const std::size_t dropped = unread + taken - kSlots;
    std::rotate(slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(dropped), slots.end());
    unread -= dropped;
  }
  for (std::size_t k = 0; k < taken; ++k) {
    const RaEventRecord& record = records[k];
    EventSlot& slot = slots[unread + k];
    std::uint32_t category = 0;
    const char* name = nullptr;
    // An unknown code leaves the slot's category and name as they were.
    if (LookUpEvent(record.code, &category, &name)) {
      slot.category = category;
      slot.name = name;
    }
    switch (record.severityClass) {
      case 0: slot.severity = 3; break;
      case 1: slot.severity = 2; break;
      case 2: slot.severity = 1; break;
      default: break;  // an unknown class leaves the severity as it was
    }
    std::size_t length = 0;
    while (length < sizeof record.text && record.text[length] != '\0') ++length;
    slot.text.assign(record.text, length);
  }
  log.newCount = static_cast<std::uint32_t>(unread + taken);
  log.readPosition = 0;
}

}  // namespace swkv
