// DiskNode: one IDE disk of a controller, under its channel ("master", "slave") and, when it is
// a member, again under its array ("disk%d"). Every value is read from the library by
// UpdateProperties; reading a value does not query the library.
#pragma once

#include "river/river_node.h"

namespace swkv {

class DiskNode : public CRiverNode {
 public:
  static constexpr std::int32_t kKind = 28;

  // A new disk node (count 0). Init(parent, name, channel, position, controller index).
  static DiskNode* New();

  // The library's number for the disk: 2 x channel + position.
  std::uint32_t disk_identifier() const;

  int OnGet(CDrop* drop) override;
  int UpdateProperties() override;

 protected:
  DiskNode();
  ~DiskNode() override = default;
};

// The texts of the library's codes; empty for codes it does not define.
const char* DiskTimingText(std::int32_t code);
const char* SmartText(std::uint32_t code);

}  // namespace swkv
