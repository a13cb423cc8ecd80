// The nodes that the polling pass visits, and what it asks of them. Array and controller nodes
// derive from these and are in their list for exactly as long as they exist; a list holds no
// reference, so the pass holds one for each visit.
#pragma once

#include <cstdint>
#include <vector>

#include "events/event_slots.h"

namespace swkv {

class CRiver;

// An array node: a configuration change re-reads it.
class CPolledArray {
 public:
  // The node itself, held by the pass for the length of a visit.
  virtual CRiver& polled_node() = 0;
  // Properties, notification, member disks.
  virtual void FullRefresh() = 0;

 protected:
  ~CPolledArray() = default;
};

// A controller node: its sensor polls every tenth count, a rebuild on a configuration change,
// and the events fetched in the pass.
class CPolledController {
 public:
  virtual CRiver& polled_node() = 0;
  // Copy the readings of the controller's bays and battery module; 1 when the node notified.
  virtual int EnclosurePoll() = 0;
  virtual int BatteryPoll() = 0;
  // The slots the pass decodes the controller's events into.
  virtual EventLogState& polled_event_log() = 0;
  // The controller whose events the slots hold.
  virtual std::int32_t polled_controller() const = 0;

 protected:
  ~CPolledController() = default;
};

// Every constructed, not yet destroyed array node, in construction order.
std::vector<CPolledArray*>& ArrayNodeList();
// Every live controller node, in construction order.
std::vector<CPolledController*>& ControllerNodeList();
// The result of the last discovery (0, 1 or 2): the controllers the polling pass visits.
std::int32_t& ControllerCount();

}  // namespace swkv
