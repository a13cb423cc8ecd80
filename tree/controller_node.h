// ControllerNode: one RAID controller. It shows what the controller is and its settings, changes
// settings through its actions, and creates, refreshes and prunes its channels, enclosure,
// battery module and arrays.
#pragma once

#include <array>
#include <cstdint>

#include "events/event_log.h"
#include "events/polled_nodes.h"
#include "tree/array_container.h"
#include "tree/battery_node.h"

namespace swkv {

class ControllerNode : public ArrayContainer, public CEventLog, public CPolledController {
 public:
  static constexpr std::int32_t kKind = 26;

  // One count for the node and its IEventLog part; the node's identity is the IEventLog part.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // A new controller node (count 0) for the library's current controller, whose settings it
  // reads; entered in ControllerNodeList.
  static ControllerNode* New();

  int OnInvoke(std::string_view action, std::string_view argument) override;
  int Refresh() override;  // SyncControllerChildren
  int RegisterActions() override;
  int UpdateProperties() override;

  // Names, initialises and builds the node. Returns 1; without an open controller the node is
  // left uninitialised, so that its creator cannot link it.
  int CreateController(CRiver* parent, std::string_view name);
  int SyncControllerChildren();

  // The polling pass's sensor polls: copy the readings of the controller's bays and of its
  // battery module into properties of this node. 1 when the node notified.
  int EnclosurePoll() override;
  int BatteryPoll() override;
  CRiver& polled_node() override { return *this; }
  EventLogState& polled_event_log() override { return event_log(); }
  std::int32_t polled_controller() const override { return controller_index(); }

  // The PCI bus percentage shown for a channel threshold, and the threshold for a percentage,
  // relative to the original channel count.
  static std::int32_t PercentOfThreshold(std::int32_t originalChannels, std::int32_t threshold);
  static std::int32_t ThresholdOfPercent(std::int32_t originalChannels, std::int32_t percent);

 protected:
  ControllerNode();
  ~ControllerNode() override;
  // IEventLog first (also for IUnknown), then IRiver and IConnectionPointContainer; no
  // IDispatch.
  std::span<const InterfaceEntry> Interfaces() override;
  std::int32_t event_log_controller() const override { return controller_index(); }

 private:
  bool Select() const;
  // The settings actions. Each returns 0, or E_FAIL when the controller cannot be selected.
  int SetRegistryOnly(const char* setting, const char* property, std::int32_t* field,
                      std::int32_t value);
  int SetThroughLibrary(std::int32_t (*call)(std::int32_t, std::int32_t*), const char* property,
                        std::int32_t* field, std::int32_t value);
  int SetSmart(std::int32_t value);
  int SetPciBus(std::int32_t percent);
  int SetMaintenanceRate(std::int32_t rate);
  // Stores the value in the field, shows it and notifies the node's sinks.
  void Publish(const char* property, std::int32_t* field, std::int32_t value);
  CRiver* CreateChannel(std::int32_t slot);
  CRiver* CreateEnclosure(std::int32_t slot);
  CRiver* CreateBattery(std::int32_t slot);
  // Sets a reading property when the candidate differs from the stored reading.
  template <class T>
  bool UpdateReading(const char* property, T* stored, T candidate);

  std::int32_t m_channelNameCounter = 0;
  std::int32_t m_enclosureNameCounter = 0;
  std::int32_t m_originalChannelCount = 0;
  std::int32_t m_channelThreshold = 0;
  std::int32_t m_pciBusPercent = 0;
  std::int32_t m_smartCheck = 0;
  std::int32_t m_writeBackCache = 0;
  std::int32_t m_hotSpare = 0;
  std::int32_t m_maintenanceRate = 0;
  std::int32_t m_readThreshold = 0;
  std::int32_t m_writeThreshold = 0;
  std::int32_t m_submitChannelThreshold = 0;
  std::int32_t m_writeMode = 0;
  // Last readings seen by the sensor polls: fan, temperature, 5 V status, 12 V status.
  std::array<std::int32_t, 4> m_enclosure{};
  BatteryReadings m_battery;
};

// Polls of all controllers since the last notification of their kind; the 180th unchanged poll
// after a notification notifies again.
std::int32_t& EnclosurePollCount();
std::int32_t& BatteryPollCount();

}  // namespace swkv
