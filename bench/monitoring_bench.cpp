// One scrape of swkvctl serve over the default tree (read the tree through IRiver with the
// arrays' status live, then the metrics and the verdict), against one library call; and the
// library calls a scrape makes.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/alloc_counter.h"
#include "bench/alternation.h"
#include "bench/bench_system.h"
#include "bench/figures.h"
#include "raidlib/raidapikv9k.h"
#include "sim/sim_control.h"
#include "tools/monitoring/scrape.h"
#include "tools/monitoring/system_state.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/tree_snapshot.h"

namespace swkv::bench {
namespace {

constexpr int kCalls = 64;

std::size_t Scrape(IRiver* root) {
  const ctl::TreeSnapshot tree = ctl::TreeSnapshot::Take(root, "", ctl::kKindRoot);
  const mon::ScrapeText text = mon::Render(mon::ReadSystemState(tree), nullptr);
  return text.metrics.size() + text.health.size();
}

void BM_Scrape(benchmark::State& state) {
  StartSystem();
  ComPtr<RootNode> root = BuildTree();  // leaves a controller open
  IRiver* river = root.get();
  Scrape(river);
  simResetCallCounts();
  Scrape(river);
  // Which calls: a scrape reads only the arrays' status (and selects their controllers).
  const CallCounts counts = CountCalls();
  state.counters["lib_calls"] = static_cast<double>(Total(counts));
  std::string calls;
  for (int fn = 0; fn < kFunctionCount; ++fn)
    if (counts[static_cast<std::size_t>(fn)] > 0)
      calls += (calls.empty() ? "" : ", ") + std::string(FunctionName(static_cast<Fn>(fn))) +
               " " + std::to_string(counts[static_cast<std::size_t>(fn)]);
  state.SetLabel(calls);
  std::uint32_t status = 0, activity = 0;
  std::int32_t progress = 0;
  auto libraryCall = [&] {
    benchmark::DoNotOptimize(raGetArrayStatus(1, &status, &activity, &progress));
  };
  Alternation times;
  std::uint64_t allocations = 0;
  std::int64_t runs = 0;
  for (auto _ : state) {
    const std::uint64_t before = AllocationCount();
    benchmark::DoNotOptimize(Scrape(river));
    allocations += AllocationCount() - before;
    ++runs;
    // The library call is timed in a batch, so that the clock's own cost does not count.
    times.Sample([&] { benchmark::DoNotOptimize(Scrape(river)); },
                 [&] { for (int i = 0; i < kCalls; ++i) libraryCall(); });
  }
  const double perScrape = static_cast<double>(allocations) / static_cast<double>(runs);
  const double call = times.MedianB() / kCalls;
  SetYardstickFigure("a scrape of the default tree (swkvctl serve)", times.MedianA(), call,
                     perScrape);
  state.counters["scrape_us"] = times.MedianA() * 1e6;
  state.counters["per_library_call"] = times.MedianA() / call;
}
BENCHMARK(BM_Scrape);

}  // namespace
}  // namespace swkv::bench
