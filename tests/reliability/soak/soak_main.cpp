// swkv_soak: the soak as a program, for runs of any length.
//
//   swkv_soak [passes] [--scrape]
//     passes: default 100000 (whole rounds of the timeline: rounded up); --scrape: swkvctl
//     serve's scrape of the whole tree after every pass
//
// Prints the figures at the end. Exits with 1 when the heap in use at the end is above its figure
// after the first round (by more than HeapNoise()), or when nodes or module locks are left after
// the root was released.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/reliability/common/memory_usage.h"
#include "tests/reliability/soak/soak.h"

static void PrintFigures(const swkv::test::SoakFigures& f) {
  std::printf(
      "soak: %lld passes (%lld rounds) in %.1f s: %.1f us per pass, %.1f library calls per "
      "pass; %lld notifications, %lld events read, %lld scrapes\n",
      static_cast<long long>(f.passes), static_cast<long long>(f.rounds), f.seconds,
      f.passes ? f.seconds * 1e6 / static_cast<double>(f.passes) : 0.0,
      f.passes ? static_cast<double>(f.libraryCalls) / static_cast<double>(f.passes) : 0.0,
      static_cast<long long>(f.notifications), static_cast<long long>(f.events),
      static_cast<long long>(f.scrapes));
  std::printf(
      "soak: heap in use: %zu before the tree, %zu after round 1, %zu now (lowest %zu, "
      "highest %zu)\n",
      f.heapBefore, f.heapStart, f.heapEnd, f.heapLowest, f.heapHighest);
}

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
  const swkv::test::SoakFigures figures = swkv::test::RunSoak(passes, scrape ? 1 : 0);
  PrintFigures(figures);
  std::printf("soak: after the root was released: %ld module locks, %zu nodes listed\n",
              figures.moduleLocksAfter, figures.nodesAliveAfter);
  bool flat = figures.heapEnd <= figures.heapStart + swkv::test::HeapNoise();
  bool released = figures.moduleLocksAfter == 0 && figures.nodesAliveAfter == 0;
  std::printf("soak: %s (heap allowed to move by %zu bytes)\n",
              flat && released ? "flat, nothing left" : "FAILED", swkv::test::HeapNoise());
  return flat && released ? 0 : 1;
}
