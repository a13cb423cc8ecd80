#include "bench/figures.h"

#include <cstdio>

namespace swkv::bench {

namespace {

struct CallFigure {
  CallCounts measured{};
  CallCounts prescribed{};
};

// In the order the benchmarks first left them.
std::vector<std::pair<std::string, CallFigure>>& CallFigures() {
  static std::vector<std::pair<std::string, CallFigure>> figures;
  return figures;
}

std::vector<std::pair<std::string, double>>& ValueFigures() {
  static std::vector<std::pair<std::string, double>> figures;
  return figures;
}

template <class T>
void Put(std::vector<std::pair<std::string, T>>& figures, const std::string& name, T value) {
  for (auto& [key, figure] : figures) {
    if (key == name) {
      figure = value;
      return;
    }
  }
  figures.emplace_back(name, value);
}

// "raInitialize +2, raTerminate +1": where the measured calls differ from the prescribed ones.
std::string Differences(const CallFigure& f) {
  std::string text;
  for (int i = 0; i < kFunctionCount; ++i) {
    auto k = static_cast<std::size_t>(i);
    std::int64_t d = f.measured[k] - f.prescribed[k];
    if (d == 0) continue;
    if (!text.empty()) text += ", ";
    text += FunctionName(static_cast<Fn>(i));
    text += d > 0 ? " +" : " ";
    text += std::to_string(d);
  }
  return text;
}

}  // namespace

void SetCallFigure(const std::string& operation, const CallCounts& measured,
                   const CallCounts& prescribed) {
  Put(CallFigures(), operation, CallFigure{measured, prescribed});
}

void SetValueFigure(const std::string& name, double value) { Put(ValueFigures(), name, value); }

void FiguresReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
    // Processor time: the benchmarks run on one thread, and on a machine shared with other work
    // the wall-clock time also counts the time the process waited for a processor.
    m_seconds[run.benchmark_name()] =
        run.cpu_accumulated_time / static_cast<double>(run.iterations);
    for (const auto& [name, counter] : run.counters)
      SetValueFigure(run.benchmark_name() + " " + name, counter.value);
  }
  ConsoleReporter::ReportRuns(runs);
}

double FiguresReporter::Seconds(const std::string& name) const {
  auto found = m_seconds.find(name);
  return found == m_seconds.end() ? 0 : found->second;
}

void PrintFigures(const FiguresReporter& times) {
  std::printf("\nLibrary calls per operation (default scenario, steady state)\n");
  std::printf("  %-44s %9s %11s  %s\n", "operation", "measured", "prescribed", "difference");
  for (const auto& [operation, f] : CallFigures()) {
    std::printf("  %-44s %9lld %11lld  %s\n", operation.c_str(),
                static_cast<long long>(Total(f.measured)),
                static_cast<long long>(Total(f.prescribed)), Differences(f).c_str());
  }

  std::printf("\nThe component's own time (its processor time beyond its library calls) per time "
              "of those calls made directly on the same library\n");
  for (const char* name : {"BM_PollingPass", "BM_TreeBuild", "BM_TreeWalk"}) {
    double total = times.Seconds(name);
    double library = times.Seconds(std::string(name) + "_LibraryAlone");
    if (total <= 0 || library <= 0) continue;
    std::printf("  %-14s %9.1f us in all, %9.1f us in the library: own time %.2f x the "
                "library's\n",
                name + 3, total * 1e6, library * 1e6, (total - library) / library);
  }

  double call = times.Seconds("BM_OneLibraryCall");
  std::printf("\nOn a node of 30 entries (yardstick: one library call made directly, %.0f ns)\n",
              call * 1e9);
  for (const char* name : {"BM_Get", "BM_DirListing"}) {
    double t = times.Seconds(name);
    if (t <= 0 || call <= 0) continue;
    double allocations = 0;
    for (const auto& [key, value] : ValueFigures())
      if (key == std::string(name) + " allocs_per_op") allocations = value;
    std::printf("  %-14s %8.0f ns per call = %.3f library calls; %.1f heap allocations per call\n",
                name + 3, t * 1e9, t / call, allocations);
  }

  std::printf("\nMemory\n");
  for (const auto& [name, value] : ValueFigures()) {
    if (name.rfind("BM_", 0) == 0) continue;
    std::printf("  %-72s %10.0f\n", name.c_str(), value);
  }
  std::fflush(stdout);
}

}  // namespace swkv::bench
