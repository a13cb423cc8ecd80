#include "bench/figures.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace swkv::bench {

namespace {

struct CallFigure {
  CallCounts measured{};
  CallCounts prescribed{};
};

struct TimeFigure {
  double seconds = 0;
  double librarySeconds = 0;
  double extra = 0;  // library calls, or allocations per call
};

// Each kind of figure in the order the benchmarks first left them; a later run of a benchmark
// replaces its figure.
template <class T>
class Figures {
 public:
  void Put(const std::string& name, const T& value) {
    for (auto& [key, figure] : m_items) {
      if (key == name) {
        figure = value;
        return;
      }
    }
    m_items.emplace_back(name, value);
  }
  const std::vector<std::pair<std::string, T>>& items() const { return m_items; }

 private:
  std::vector<std::pair<std::string, T>> m_items;
};

Figures<CallFigure> g_calls;
Figures<TimeFigure> g_ownTimes;
Figures<TimeFigure> g_yardsticks;
Figures<double> g_values;

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
  return text.empty() ? "none" : text;
}

}  // namespace

void SetCallFigure(const std::string& operation, const CallCounts& measured,
                   const CallCounts& prescribed) {
  g_calls.Put(operation, CallFigure{measured, prescribed});
}

void SetOwnTimeFigure(const std::string& operation, double seconds, double librarySeconds,
                      std::int64_t calls) {
  g_ownTimes.Put(operation, TimeFigure{seconds, librarySeconds, static_cast<double>(calls)});
}

void SetYardstickFigure(const std::string& operation, double seconds, double librarySeconds,
                        double allocations) {
  g_yardsticks.Put(operation, TimeFigure{seconds, librarySeconds, allocations});
}

void SetValueFigure(const std::string& name, double value) { g_values.Put(name, value); }

void PrintFigures() {
  if (!g_calls.items().empty()) {
    std::printf("\nLibrary calls per operation (default scenario, steady state)\n");
    std::printf("  %-40s %8s %10s  %s\n", "operation", "measured", "prescribed", "difference");
    for (const auto& [operation, f] : g_calls.items()) {
      std::printf("  %-40s %8lld %10lld  %s\n", operation.c_str(),
                  static_cast<long long>(Total(f.measured)),
                  static_cast<long long>(Total(f.prescribed)), Differences(f).c_str());
    }
  }
  if (!g_ownTimes.items().empty()) {
    std::printf(
        "\nThe component's own time: what an operation takes beyond its library calls, per time "
        "of the same calls made directly on the same library (medians of alternate samples)\n");
    for (const auto& [operation, f] : g_ownTimes.items()) {
      std::printf("  %-28s %9.1f us, its %4.0f calls alone %8.1f us: own time %5.2f x the calls'\n",
                  operation.c_str(), f.seconds * 1e6, f.extra, f.librarySeconds * 1e6,
                  (f.seconds - f.librarySeconds) / f.librarySeconds);
    }
  }
  if (!g_yardsticks.items().empty()) {
    std::printf("\nOn a node of 30 entries, against one library call made directly\n");
    for (const auto& [operation, f] : g_yardsticks.items()) {
      std::printf("  %-28s %8.0f ns = %6.3f library calls (%.0f ns); %.2f heap allocations\n",
                  operation.c_str(), f.seconds * 1e9, f.seconds / f.librarySeconds,
                  f.librarySeconds * 1e9, f.extra);
    }
  }
  if (!g_values.items().empty()) {
    std::printf("\nMemory\n");
    for (const auto& [name, value] : g_values.items())
      std::printf("  %-70s %9.0f\n", name.c_str(), value);
  }
  std::fflush(stdout);
}

}  // namespace swkv::bench
