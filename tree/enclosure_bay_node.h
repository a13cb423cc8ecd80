// EnclosureBayNode: one drive bay with sensors (fan, temperature, 5 V and 12 V monitors).
#pragma once

#include "river/river_node.h"

namespace swkv {

class EnclosureBayNode : public CRiverNode {
 public:
  static constexpr std::int32_t kKind = 17;

  // A new bay node (count 0) for the bay on channel and position (its name tells the type
  // reported when it was found). Init(enclosure, name, position, 0, 0).
  static EnclosureBayNode* New(std::int32_t channel, std::int32_t position);

  int OnGet(CDrop*) override { return 1; }
  int RegisterActions() override { return 1; }
  int UpdateProperties() override;

  std::int32_t channel() const { return m_channel; }

 protected:
  EnclosureBayNode(std::int32_t channel, std::int32_t position);
  ~EnclosureBayNode() override = default;

 private:
  std::int32_t m_channel = -1;
  std::int32_t m_position = -1;
};

}  // namespace swkv
