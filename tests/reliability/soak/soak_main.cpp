// swkv_soak: the soak as a program, for runs of any length.
//
//   swkv_soak [passes] [--scrape]
//     passes: default 100000 (whole rounds of the timeline: rounded up); --scrape: swkvctl
//     serve's scrape of the whole tree after every pass
//
// Prints the figures after every 50 rounds and at the end. Exits with 1 when the heap in use at
// the end is above its figure after the first round (by more than HeapNoise()), or when nodes or
// module locks are left after the root was released.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/reliability/common/memory_usage.h"
#include "tests/reliability/soak/soak.h"

int main(int argc, char** argv) {
  const bool scrape = argc > 1 && std::string(argv[argc - 1]) == "--scrape";
  if (scrape) --argc;
  long long passes = argc > 1 ? std::atoll(argv[1]) : 100000;
  if (passes <= 0 || argc > 2) {
    std::fprintf(stderr, "usage: swkv_soak [passes] [--scrape]\n");
    return 2;
  }
  // The first line gives standard output its buffer before anything is measured.
  std::printf(
      "soak: %lld polling passes over the default scenario, its timeline starting over "
      "every %d s%s\n",
      passes, swkv::test::kSoakRoundSeconds, scrape ? ", a scrape after every pass" : "");
  std::fflush(stdout);
  swkv::test::SoakFigures figures = swkv::test::RunSoak(passes, [](const auto& f) {
    if (f.rounds % 50 == 0) swkv::test::PrintSoakFigures(f, "  ");
  }, scrape ? 1 : 0);
  swkv::test::PrintSoakFigures(figures, "soak: ");
  std::printf("soak: after the root was released: %ld module locks, %zu nodes listed\n",
              figures.moduleLocksAfter, figures.nodesAliveAfter);
  bool flat = figures.heapEnd <= figures.heapStart + swkv::test::HeapNoise();
  bool released = figures.moduleLocksAfter == 0 && figures.nodesAliveAfter == 0;
  std::printf("soak: %s (heap allowed to move by %zu bytes)\n",
              flat && released ? "flat, nothing left" : "FAILED", swkv::test::HeapNoise());
  return flat && released ? 0 : 1;
}
