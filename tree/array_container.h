// What an array node needs of the node that holds it (the controller node): the controller's
// index and the key of its array enumeration.
#pragma once

#include "river/river_node.h"

namespace swkv {

class ArrayContainer : public CRiverContainer {
 public:
  // 0-based index of the controller; every library call of the node and its arrays selects it.
  std::int32_t controller_index() const { return m_controllerIndex; }
  // Read and written only by BuildArrayChildren.
  std::int32_t& array_key() { return m_arrayKey; }

 protected:
  explicit ArrayContainer(std::int32_t controllerIndex) : m_controllerIndex(controllerIndex) {}
  ~ArrayContainer() override = default;

 private:
  std::int32_t m_arrayKey = -1;
  std::int32_t m_controllerIndex;
};

}  // namespace swkv
