// swkv_bench: the benchmark suite, then the table of its figures.
//
//   build/release/bin/swkv_bench                       everything
//   build/release/bin/swkv_bench --benchmark_filter=X  only the benchmarks matching X
#include <benchmark/benchmark.h>

#include "bench/figures.h"

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  swkv::bench::PrintFigures();
  benchmark::Shutdown();
  return 0;
}
