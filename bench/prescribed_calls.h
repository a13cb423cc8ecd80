// The library calls that the design prescribes for the operations the suite counts, in the
// default scenario, each operation in its steady state (run once before). bench/README.md
// shows how each figure follows from the design.
#pragma once

#include "bench/library_functions.h"

namespace swkv::bench {

enum class Op {
  kBuildTree,
  kWalkTree,
  kRefreshRoot,
  kRefreshController,
  kRefreshChannel,
  kRefreshDisk,
  kRefreshArray,
  kRefreshEnclosure,
  kRefreshBay,
  kRefreshBattery,
  kGetStatus,
  kPollingPass,
};

const char* OperationName(Op op);
CallCounts PrescribedCalls(Op op);

}  // namespace swkv::bench
