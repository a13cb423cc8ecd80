// ArrayNodeList: every constructed, not yet destroyed array node, in construction order. The
// list holds no reference; the polling pass walks it.
#pragma once

#include <vector>

namespace swkv {

class ArrayNode;

std::vector<ArrayNode*>& ArrayNodeList();

}  // namespace swkv
