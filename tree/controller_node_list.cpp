#include "tree/controller_node_list.h"

namespace swkv {

std::vector<ControllerNode*>& ControllerNodeList() {
  static std::vector<ControllerNode*> s_list;
  return s_list;
}

}  // namespace swkv
