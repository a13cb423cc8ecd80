// RootNode: the node the agent receives when it creates the component's main class. Building it
// builds the whole tree: one controller node per controller the library can open.
#pragma once

#include <cstdint>

#include "river/river.h"

namespace swkv {

class RootNode : public CRiver {
 public:
  static constexpr std::int32_t kKind = 14;

  // A new root (count 0) with the whole tree below it.
  static RootNode* New();

  // The root never changes after construction.
  int Refresh() override { return 1; }

  // Tries controller indices 0 and 1; the number of consecutive indices the library opened.
  static std::int32_t DiscoverControllers();
  // Creates and links the controller node of one index; nonzero when it was created.
  int AddControllerNode(std::int32_t index);

 protected:
  RootNode();
  ~RootNode() override = default;
};

// A new root node (reference count 0) that has built the whole tree below it, for the
// component's main class; null when memory ran out.
CRiver* NewRootNode();

}  // namespace swkv
