// CRiverNode: every node but the root. CRiverContainer: nodes whose children follow the devices
// present (channels, enclosures, the battery module).
#pragma once

#include "river/river.h"

namespace swkv {

class CRiverNode : public CRiver {
 public:
  CRiverNode() = default;

  CRiverNode* AsNode() override { return this; }

  // Stores id and extras, sets the handle (name, published kind := kind, parent), then runs
  // UpdateProperties and RegisterActions, in this order. Returns 1.
  virtual int Init(CRiver* parent, std::string_view name, std::int32_t id, std::int32_t extra1,
                   std::int32_t extra2);

  std::int32_t id() const { return m_id; }
  std::int32_t extra1() const { return m_extra1; }
  std::int32_t extra2() const { return m_extra2; }
  // The class kind, set by each class's constructor.
  std::int32_t kind() const { return m_kind; }

 protected:
  void set_kind(std::int32_t kind) { m_kind = kind; }

 private:
  std::int32_t m_id = 0;
  std::int32_t m_extra1 = 0;
  std::int32_t m_extra2 = 0;
  std::int32_t m_kind = 16;
};

class CRiverContainer : public CRiverNode {
 public:
  CRiverContainer() { set_kind(27); }

  DropPosition GetFirstChildPosition() const { return GetHeadPosition(); }
  // Stores id as the group number and extra as the extra number, runs Init, then the class's
  // content build (its Refresh). Returns 0 when Init fails, else the content build's result.
  virtual int Create(CRiver* parent, std::string_view name, std::int32_t id, std::int32_t extra);
  // Finds or creates one child for a device; null when there is none.
  virtual CRiver* BuildChildren(std::int32_t index, std::int32_t a, std::int32_t b);

  std::int32_t device_limit() const { return m_deviceLimit; }
  std::int32_t extra_number() const { return m_extraNumber; }
  std::int32_t group_number() const { return m_groupNumber; }

 protected:
  void set_extra_number(std::int32_t extra) { m_extraNumber = extra; }
  void set_group_number(std::int32_t group) { m_groupNumber = group; }

 private:
  std::int32_t m_deviceLimit = 3;
  std::int32_t m_extraNumber = 0;
  std::int32_t m_groupNumber = -1;
};

}  // namespace swkv
