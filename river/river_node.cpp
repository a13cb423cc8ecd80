#include "river/river_node.h"

namespace swkv {

int CRiverNode::Init(CRiver* parent, std::string_view name, std::int32_t id, std::int32_t extra1,
                     std::int32_t extra2) {
  m_id = id;
  m_extra1 = extra1;
  m_extra2 = extra2;
  SetHandle(parent, name, m_kind);
  UpdateProperties();
  RegisterActions();
  return 1;
}

int CRiverContainer::Create(CRiver* parent, std::string_view name, std::int32_t id,
                            std::int32_t extra) {
  m_groupNumber = id;
  m_extraNumber = extra;
  if (!Init(parent, name, id, 0, 0)) return 0;
  return Refresh();
}

CRiver* CRiverContainer::BuildChildren(std::int32_t, std::int32_t, std::int32_t) {
  return nullptr;
}

}  // namespace swkv
