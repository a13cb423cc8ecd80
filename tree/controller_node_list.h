// ControllerNodeList: every live controller node, in construction order. The list holds no
// reference; a node is in it exactly while it exists. The polling pass walks it.
#pragma once

#include <vector>

namespace swkv {

class ControllerNode;

std::vector<ControllerNode*>& ControllerNodeList();

}  // namespace swkv
