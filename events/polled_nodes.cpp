#include "events/polled_nodes.h"

namespace swkv {

std::vector<CPolledArray*>& ArrayNodeList() {
  static std::vector<CPolledArray*> s_list;
  return s_list;
}

std::vector<CPolledController*>& ControllerNodeList() {
  static std::vector<CPolledController*> s_list;
  return s_list;
}

std::int32_t& ControllerCount() {
  static std::int32_t s_count = 0;
  return s_count;
}

}  // namespace swkv
