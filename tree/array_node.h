// ArrayNode: one logical RAID array of a controller, with one "disk%d" child per member disk.
// It shows the array's mode, geometry, name, block size, size and live status, and renames,
// rebuilds and synchronises the array.
#pragma once

#include <array>
#include <string>

#include "events/polled_nodes.h"
#include "river/river_node.h"

namespace swkv {

class ArrayContainer;

class ArrayNode : public CRiverNode, public CPolledArray {
 public:
  static constexpr std::int32_t kKind = 25;
  // An array holds at most eight disks.
  static constexpr std::size_t kMaxMembers = 8;

  // A new array node (count 0), entered in ArrayNodeList.
  static ArrayNode* New();

  int OnGet(CDrop* drop) override;
  int OnInvoke(std::string_view action, std::string_view argument) override;
  int RegisterActions() override;
  int UpdateProperties() override;

  // Reads the array's description and members, creates the member disks, then Init.
  int InitArray(CRiver* parent, std::string_view name, std::uint32_t logical,
                std::int32_t controller);
  CRiver* FindOrCreateMemberDisk(std::size_t member, std::uint32_t disk);
  // The polling pass's refresh: properties, notification, member disks.
  void FullRefresh() override;
  CRiver& polled_node() override { return *this; }
  // The "GUI_Status" action: status, notification, member disks. The argument is not used.
  void StatusRefresh(std::string_view argument);
  // Follows the library's member list: creates new member disks, removes those that left.
  void ReconcileMembers();

  std::uint32_t logical() const { return m_logical; }
  void set_logical(std::uint32_t logical) { m_logical = logical; }
  std::uint32_t throttle_status() const { return m_throttle; }
  void set_throttle_status(std::uint32_t throttle) { m_throttle = throttle; }
  std::uint32_t block_size() const { return m_blockSize; }
  std::int32_t controller() const { return m_controller; }

 protected:
  ArrayNode();
  ~ArrayNode() override;

 private:
  struct Member {
    std::uint32_t channel = 0;
    std::uint32_t position = 0;
    std::uint32_t controller = 0;
    std::uint32_t disk = 0;
  };
  enum class Decode { kProperties, kRead, kStatusAction };

  bool Select() const;
  bool ReadMembers();
  // Applies a status reading the way the given caller does; returns what to publish.
  void ApplyStatus(Decode variant, std::uint32_t state, std::uint32_t activity,
                   std::int32_t progress, bool* setPercent, bool* setThrottle);
  int Rename(std::string_view argument);
  int Rebuild(std::string_view argument);
  int Synchronise(std::string_view argument);

  std::uint32_t m_logical = 0;
  std::uint32_t m_lastReported = 0;
  std::int32_t m_percent = 0;
  std::uint32_t m_status = 0;
  std::uint32_t m_throttle = 2;
  std::uint32_t m_blockSize = 4;
  std::int32_t m_raidMode = -1;
  std::string m_name;
  std::uint32_t m_memberCount = 0;
  std::array<Member, kMaxMembers> m_members{};
  std::int32_t m_controller = 0;
};

// Creates, refreshes and removes the array children of a controller node from the library's
// array list. key is 5 when the controller's child synchronisation saw the array slot, else -1.
int BuildArrayChildren(ArrayContainer* controller, std::int32_t key);

}  // namespace swkv
