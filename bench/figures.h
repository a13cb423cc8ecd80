// The suite's figures, each a ratio measured in the same run so that it holds on a noisy
// machine: library calls per operation against the calls the design prescribes, the component's
// own time against the time of its library calls made directly, get and dir against one library
// call, and the memory of the tree. The benchmarks leave their figures here; main prints the
// table after the run.
#pragma once

#include <cstdint>
#include <string>

#include "bench/library_functions.h"

namespace swkv::bench {

// The calls one operation made, per function, and what the design prescribes for it.
void SetCallFigure(const std::string& operation, const CallCounts& measured,
                   const CallCounts& prescribed);
// An operation's time (seconds) and the time of its library calls made directly.
void SetOwnTimeFigure(const std::string& operation, double seconds, double librarySeconds,
                      std::int64_t calls);
// A framework operation's time against one library call, with its heap allocations per call.
void SetYardstickFigure(const std::string& operation, double seconds, double librarySeconds,
                        double allocations);
// A figure that is not a time: bytes, allocations.
void SetValueFigure(const std::string& name, double value);

// The figures table.
void PrintFigures();

}  // namespace swkv::bench
