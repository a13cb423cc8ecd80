// The node framework's hot paths: get, a full dir listing and SetProperty on a node of 30
// entries, with heap allocations per operation.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/alloc_counter.h"
#include "platform/com_ptr.h"
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
                        "value number %d of the node, long enough to leave the small-string room", i);
    return node;
  }

 protected:
  ~BenchNode() override = default;
};

void ReportAllocations(benchmark::State& state, std::uint64_t before) {
  state.counters["allocs_per_op"] = benchmark::Counter(
      static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations()));
}

void BM_Get(benchmark::State& state) {
  ComPtr<BenchNode> node = BenchNode::Make();
  UniqueBstr name = UniqueBstr::FromAnsi("Property28");  // the last entry: a full scan
  UniqueBstr buffer = UniqueBstr::Buffer(256);
  std::uint64_t before = AllocationCount();
  for (auto _ : state) {
    BSTR agentBuffer = buffer.get();
    benchmark::DoNotOptimize(node->get(name.get(), &agentBuffer));
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_Get);

void BM_DirListing(benchmark::State& state) {
  ComPtr<BenchNode> node = BenchNode::Make();
  UniqueBstr buffer = UniqueBstr::Buffer(256);
  std::uint64_t before = AllocationCount();
  for (auto _ : state) {
    ComPtr<IUnknown> unknown;
    node->dir(unknown.put());
    auto enumerator = unknown.As<IEnumString>(IID_IEnumString);
    enumerator->Reset();
    LPOLESTR element = buffer.get();
    ULONG fetched = 0;
    while (enumerator->Next(1, &element, &fetched) == S_OK) benchmark::DoNotOptimize(fetched);
  }
  state.counters["entries"] = 30;
  ReportAllocations(state, before);
}
BENCHMARK(BM_DirListing);

void BM_SetPropertyExisting(benchmark::State& state) {
  ComPtr<BenchNode> node = BenchNode::Make();
  int value = 0;
  std::uint64_t before = AllocationCount();
  for (auto _ : state) benchmark::DoNotOptimize(node->SetIntProperty("Property15", kChanging, ++value));
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
