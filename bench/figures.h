// The suite's figures, each a ratio measured in the same run so that it holds on a noisy
// machine: library calls per operation against the calls the design prescribes, the component's
// own time against the time of its library calls made directly, get and dir against one library
// call, and the memory of the tree. The benchmarks leave their figures here; the reporter keeps
// the time of every benchmark; main prints the table after the run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "bench/bench_system.h"

namespace swkv::bench {

// The calls one operation made, per function, and what the design prescribes for it.
void SetCallFigure(const std::string& operation, const CallCounts& measured,
                   const CallCounts& prescribed);
// A figure that is not a time: bytes, allocations.
void SetValueFigure(const std::string& name, double value);

// The console reporter, keeping the processor time per iteration of every benchmark it reports.
class FiguresReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  // Seconds per iteration of the named benchmark; 0 when it did not run.
  double Seconds(const std::string& name) const;

 private:
  std::map<std::string, double> m_seconds;
};

// The figures table, from what the benchmarks left and the times the reporter kept.
void PrintFigures(const FiguresReporter& times);

}  // namespace swkv::bench
