// The memory of the tree: the heap the default tree holds, and how it grows with each array and
// each disk the controllers report. Heap bytes are those asked for by the blocks operator new
// handed out and the tree still holds (the component allocates nothing else), so they are exact
// and the same on every run; the C library adds 8 to 24 bytes to each block. The resident
// figure is the process's, to the page.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/alloc_counter.h"
#include "bench/bench_system.h"
#include "bench/figures.h"

namespace swkv::bench {
namespace {

std::size_t Resident() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  unsigned long total = 0, resident = 0;
  int fields = std::fscanf(statm, "%lu %lu", &total, &resident);
  std::fclose(statm);
  return fields == 2 ? resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) : 0;
}

struct TreeSize {
  double heap = 0;         // bytes
  double blocks = 0;       // heap blocks
  double resident = 0;     // bytes
  double allocations = 0;  // heap allocations made by the build
};

// The heap that a tree built over the scenario holds (a first build and release beforehand, so
// that what the process allocates once is not counted).
TreeSize MeasureTree(const char* scenario) {
  StartSystem(scenario);
  BuildTree().reset();
  std::int64_t heap = LiveBytes();
  std::int64_t blocks = LiveBlocks();
  std::size_t resident = Resident();
  std::uint64_t allocations = AllocationCount();
  ComPtr<RootNode> root = BuildTree();
  TreeSize size;
  size.heap = static_cast<double>(LiveBytes() - heap);
  size.blocks = static_cast<double>(LiveBlocks() - blocks);
  size.resident = static_cast<double>(Resident()) - static_cast<double>(resident);
  size.allocations = static_cast<double>(AllocationCount() - allocations);
  return size;
}

// One controller with the first disks of its eight (free, or each a one-disk spanning array).
std::string Scenario(int disks, int arrays) {
  std::string json = R"({"controllers":[{"disks":[)";
  for (int d = 0; d < disks; ++d) {
    if (d) json += ",";
    json += R"({"disk":)" + std::to_string(d) + R"(,"model":"Bench disk )" + std::to_string(d) +
            R"("})";
  }
  json += R"(],"arrays":[)";
  for (int a = 0; a < arrays; ++a) {
    if (a) json += ",";
    json += R"({"name":"Bench)" + std::to_string(a) + R"(","mode":"spanning","members":[)" +
            std::to_string(a) + "]}";
  }
  return json + "]}]}";
}

void BM_TreeMemory(benchmark::State& state) {
  TreeSize tree, noDisks, eightDisks, eightArrays;
  for (auto _ : state) {
    tree = MeasureTree(nullptr);
    noDisks = MeasureTree(Scenario(0, 0).c_str());
    eightDisks = MeasureTree(Scenario(8, 0).c_str());
    eightArrays = MeasureTree(Scenario(8, 8).c_str());
  }
  double perDisk = (eightDisks.heap - noDisks.heap) / 8;
  double perArray = (eightArrays.heap - eightDisks.heap) / 8;
  SetValueFigure("heap of the default tree (bytes)", tree.heap);
  SetValueFigure("heap blocks of the default tree", tree.blocks);
  SetValueFigure("resident growth of the default tree (bytes)", tree.resident);
  SetValueFigure("heap allocations of a tree build", tree.allocations);
  SetValueFigure("heap of a tree of one controller without disks (bytes)", noDisks.heap);
  SetValueFigure("heap per disk on a channel (bytes)", perDisk);
  SetValueFigure("heap per array of one member, its member disk node included (bytes)", perArray);
  SetValueFigure("heap per array node alone (bytes)", perArray - perDisk);
  state.counters["tree_heap_bytes"] = tree.heap;
  state.counters["per_disk_bytes"] = perDisk;
  state.counters["per_array_bytes"] = perArray;
}
BENCHMARK(BM_TreeMemory)->Iterations(1);

}  // namespace
}  // namespace swkv::bench
