// EnclosureNode: the drive bays of a controller's four channels, one EnclosureBayNode per bay
// that carries sensors, with the bay count and two buzzer actions.
#pragma once

#include <string>

#include "river/river_node.h"

namespace swkv {

class EnclosureNode : public CRiverContainer {
 public:
  static constexpr std::int32_t kKind = 7;

  // A new enclosure node (count 0). Create(controller, name, slot, controller index).
  static EnclosureNode* New();

  int OnInvoke(std::string_view action, std::string_view argument) override;
  int Refresh() override;  // the content build
  int RegisterActions() override;
  int UpdateProperties() override;
  // Finds (refreshed, notified) or creates the bay node of a channel; null when the bay has no
  // sensors. The content build passes request 9.
  CRiver* BuildChildren(std::int32_t channel, std::int32_t position,
                        std::int32_t request) override;

 protected:
  EnclosureNode() { set_kind(kKind); }
  ~EnclosureNode() override = default;

 private:
  bool Select() const;
};

// The first channel of a controller's bays: the bays are numbered across both controllers, the
// first controller's on channels 0 to 3, the second's on 4 to 7.
std::int32_t FirstBayChannel(std::int32_t controller);
// Bay types 2, 3 and 4 name bay families with sensors; only they give a bay node and readings.
bool IsSensorBay(std::int32_t type);
// The bay node name of such a type, numbered by channel + 1; empty for other types.
std::string BayName(std::int32_t type, std::int32_t channel);
// Readings the library marks as absent.
inline constexpr std::int32_t kNoReading = -2;

}  // namespace swkv
