#include "tree/array_node_list.h"

namespace swkv {

std::vector<ArrayNode*>& ArrayNodeList() {
  static std::vector<ArrayNode*> s_list;
  return s_list;
}

}  // namespace swkv
