// The component over the default two-controller system: library calls per operation, the
// component's own time against its library calls made directly, and a library call as the
// yardstick for get and dir.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/alternation.h"
#include "bench/bench_system.h"
#include "bench/figures.h"
#include "bench/library_shim.h"
#include "bench/prescribed_calls.h"
#include "raidlib/raidapikv9k.h"
#include "sim/sim_control.h"

namespace swkv::bench {
namespace {

// Counts the calls of one run of the operation (after a first run, so that the library's
// selection is in its steady state) and leaves the figure.
template <class Operation>
CallCounts CountOperation(Operation operation) {
  operation();
  simResetCallCounts();
  operation();
  return CountCalls();
}

void ReportCalls(benchmark::State& state, Op op, const CallCounts& counts) {
  CallCounts prescribed = PrescribedCalls(op);
  SetCallFigure(OperationName(op), counts, prescribed);
  state.counters["lib_calls"] = static_cast<double>(Total(counts));
  state.counters["prescribed"] = static_cast<double>(Total(prescribed));
}

// Records the calls of one run of the operation, in its steady state.
template <class Operation>
std::vector<RecordedCall> RecordOperation(Operation operation) {
  operation();
  CallRecorder recorder;
  operation();
  return recorder.Stop();
}

// --- a tree build --------------------------------------------------------------------------

void BuildAndRelease() { BuildTree().reset(); }

void BM_TreeBuild(benchmark::State& state) {
  StartSystem();
  ReportCalls(state, Op::kBuildTree, CountOperation(BuildAndRelease));
  for (auto _ : state) BuildAndRelease();
}
BENCHMARK(BM_TreeBuild)->Unit(benchmark::kMicrosecond);

// --- a polling pass --------------------------------------------------------------------------

void BM_PollingPass(benchmark::State& state) {
  StartSystem();
  ComPtr<RootNode> root = BuildTree();
  ReportCalls(state, Op::kPollingPass, CountOperation(PollOnce));
  for (auto _ : state) PollOnce();
}
BENCHMARK(BM_PollingPass)->Unit(benchmark::kMicrosecond);

// --- a whole-tree walk -------------------------------------------------------------------------

void BM_TreeWalk(benchmark::State& state) {
  StartSystem();
  ComPtr<RootNode> root = BuildTree();
  int nodes = 0;
  ReportCalls(state, Op::kWalkTree, CountOperation([&] { nodes = WalkTree(root.get()); }));
  state.counters["nodes"] = nodes;
  for (auto _ : state) WalkTree(root.get());
}
BENCHMARK(BM_TreeWalk)->Unit(benchmark::kMicrosecond);

// --- the component's own time ----------------------------------------------------------------

// The operation and its recorded library calls made directly, alternately: the component's own
// time is what the operation takes beyond the calls.
template <class Operation>
void MeasureOwnTime(benchmark::State& state, const char* figure, Operation operation) {
  std::vector<RecordedCall> calls = RecordOperation(operation);
  Alternation times;
  for (auto _ : state) times.Sample(operation, [&] { Replay(calls); });
  double total = times.MedianA();
  double library = times.MedianB();
  state.counters["component_us"] = total * 1e6;
  state.counters["library_us"] = library * 1e6;
  state.counters["own_per_library"] = (total - library) / library;
  SetOwnTimeFigure(figure, total, library, static_cast<std::int64_t>(calls.size()));
}

void BM_OwnTime_PollingPass(benchmark::State& state) {
  StartSystem();
  ComPtr<RootNode> root = BuildTree();
  MeasureOwnTime(state, "a polling pass", PollOnce);
}
BENCHMARK(BM_OwnTime_PollingPass);

void BM_OwnTime_TreeBuild(benchmark::State& state) {
  StartSystem();
  MeasureOwnTime(state, "a tree build (and release)", BuildAndRelease);
}
BENCHMARK(BM_OwnTime_TreeBuild);

void BM_OwnTime_TreeWalk(benchmark::State& state) {
  StartSystem();
  ComPtr<RootNode> root = BuildTree();
  MeasureOwnTime(state, "a whole-tree walk", [&] { WalkTree(root.get()); });
}
BENCHMARK(BM_OwnTime_TreeWalk);

// --- refresh of each node kind, get of "Status" ------------------------------------------------

void BM_Refresh(benchmark::State& state, Op op, const char* path) {
  StartSystem();
  ComPtr<RootNode> root = BuildTree();
  ComPtr<IRiver> node = At(root.get(), path);
  if (!node) {
    state.SkipWithError("no such node");
    return;
  }
  ReportCalls(state, op, CountOperation([&] { node->refresh(); }));
  for (auto _ : state) node->refresh();
}
BENCHMARK_CAPTURE(BM_Refresh, root, Op::kRefreshRoot, "")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Refresh, controller, Op::kRefreshController, "HBA1")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Refresh, channel, Op::kRefreshChannel, "HBA1/ch2")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Refresh, disk, Op::kRefreshDisk, "HBA1/ch2/master")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Refresh, array, Op::kRefreshArray, "HBA1/Data")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Refresh, enclosure, Op::kRefreshEnclosure, "HBA1/enclosure1")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Refresh, bay, Op::kRefreshBay, "HBA1/enclosure1/quickbay1")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Refresh, battery, Op::kRefreshBattery, "HBA1/battery")
    ->Unit(benchmark::kMicrosecond);

void BM_GetStatus(benchmark::State& state) {
  StartSystem();
  ComPtr<RootNode> root = BuildTree();
  ComPtr<IRiver> array = At(root.get(), "HBA1/Data");
  UniqueBstr name = UniqueBstr::FromAnsi("Status");
  UniqueBstr buffer = UniqueBstr::Buffer(256);
  ReportCalls(state, Op::kGetStatus,
              CountOperation([&] { Get(array.get(), name.get(), buffer.get()); }));
  for (auto _ : state) Get(array.get(), name.get(), buffer.get());
}
BENCHMARK(BM_GetStatus);

}  // namespace
}  // namespace swkv::bench
