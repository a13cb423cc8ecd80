// The node framework's hot paths: get, a full dir listing and SetProperty on a node of 30
// entries, with heap allocations per operation; get and the listing against one library call.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/alloc_counter.h"
#include "bench/alternation.h"
#include "bench/bench_system.h"
#include "bench/figures.h"
#include "platform/com_ptr.h"
#include "raidlib/raidapikv9k.h"
#include "river/river_node.h"

namespace swkv::bench {
namespace {

class BenchNode : public CRiverNode {
 public:
  static ComPtr<BenchNode> Make() {
    ComPtr<BenchNode> node(new BenchNode);
    node->Init(nullptr, "bench", 0, 0, 0);
    for (int i = 0; i < 29; ++i)
      node->SetProperty(("Property" + std::to_string(i)).c_str(), kReadOnly,
                        "value number %d of the node, long enough to leave the small-string room",
                        i);
    return node;
  }

 protected:
  ~BenchNode() override = default;
};

void ReportAllocations(benchmark::State& state, std::uint64_t before) {
  state.counters["allocs_per_op"] = benchmark::Counter(
      static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations()));
}

// get of the last entry (a full scan) into the agent's buffer.
void GetLast(BenchNode* node, BSTR name, BSTR buffer) {
  BSTR agentBuffer = buffer;
  benchmark::DoNotOptimize(node->get(name, &agentBuffer));
}

// dir, then every entry into the agent's buffer.
void ListAll(BenchNode* node, BSTR buffer) {
  ComPtr<IUnknown> unknown;
  node->dir(unknown.put());
  auto enumerator = unknown.As<IEnumString>(IID_IEnumString);
  enumerator->Reset();
  LPOLESTR element = buffer;
  ULONG fetched = 0;
  while (enumerator->Next(1, &element, &fetched) == S_OK) benchmark::DoNotOptimize(fetched);
}

void BM_Get(benchmark::State& state) {
  ComPtr<BenchNode> node = BenchNode::Make();
  UniqueBstr name = UniqueBstr::FromAnsi("Property28");
  UniqueBstr buffer = UniqueBstr::Buffer(256);
  std::uint64_t before = AllocationCount();
  for (auto _ : state) GetLast(node.get(), name.get(), buffer.get());
  ReportAllocations(state, before);
}
BENCHMARK(BM_Get);

void BM_DirListing(benchmark::State& state) {
  ComPtr<BenchNode> node = BenchNode::Make();
  UniqueBstr buffer = UniqueBstr::Buffer(256);
  std::uint64_t before = AllocationCount();
  for (auto _ : state) ListAll(node.get(), buffer.get());
  state.counters["entries"] = 30;
  ReportAllocations(state, before);
}
BENCHMARK(BM_DirListing);

// get and the listing, alternately with one library call (an array's status, which the library
// answers from memory), in batches: the framework's cost in library calls.
void BM_AgainstLibraryCall(benchmark::State& state, bool listing) {
  StartSystem();
  ComPtr<RootNode> root = BuildTree();  // leaves a controller open
  ComPtr<BenchNode> node = BenchNode::Make();
  UniqueBstr name = UniqueBstr::FromAnsi("Property28");
  UniqueBstr buffer = UniqueBstr::Buffer(256);
  std::uint32_t status = 0, activity = 0;
  std::int32_t progress = 0;
  auto libraryCall = [&] {
    benchmark::DoNotOptimize(raGetArrayStatus(1, &status, &activity, &progress));
  };
  auto operation = [&] {
    if (listing)
      ListAll(node.get(), buffer.get());
    else
      GetLast(node.get(), name.get(), buffer.get());
  };
  const int batch = listing ? 4 : 64;
  Alternation times;
  std::uint64_t allocations = 0;
  std::int64_t runs = 0;
  for (auto _ : state) {
    std::uint64_t before = AllocationCount();
    for (int i = 0; i < batch; ++i) operation();
    allocations += AllocationCount() - before;
    runs += batch;
    times.Sample(operation, libraryCall, batch);
  }
  double perCall = static_cast<double>(allocations) / static_cast<double>(runs);
  SetYardstickFigure(listing ? "dir and a listing of 30 entries" : "get (a scan of 30 entries)",
                     times.MedianA(), times.MedianB(), perCall);
  state.counters["per_library_call"] = times.MedianA() / times.MedianB();
  state.counters["allocs_per_op"] = perCall;
}
BENCHMARK_CAPTURE(BM_AgainstLibraryCall, get, false);
BENCHMARK_CAPTURE(BM_AgainstLibraryCall, dir, true);

void BM_SetPropertyExisting(benchmark::State& state) {
  ComPtr<BenchNode> node = BenchNode::Make();
  int value = 0;
  std::uint64_t before = AllocationCount();
  for (auto _ : state)
    benchmark::DoNotOptimize(node->SetIntProperty("Property15", kChanging, ++value));
  ReportAllocations(state, before);
}
BENCHMARK(BM_SetPropertyExisting);

void BM_SetPropertyFormatted(benchmark::State& state) {
  ComPtr<BenchNode> node = BenchNode::Make();
  std::uint64_t before = AllocationCount();
  for (auto _ : state)
    benchmark::DoNotOptimize(node->SetProperty("Property20", kReadOnly, "0x%08X", 0xE0000000u));
  ReportAllocations(state, before);
}
BENCHMARK(BM_SetPropertyFormatted);

}  // namespace
}  // namespace swkv::bench
