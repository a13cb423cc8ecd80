// swkv_soak: the soak as a program, for runs of any length.
//
//   swkv_soak [passes]     default 100000 (whole rounds of the timeline: rounded up)
//
// Prints the figures after every 50 rounds and at the end. Exits with 1 when the heap in use at
// the end is above its figure after the first round (by more than HeapNoise()), or when nodes or
// module locks are left after the root was released.
#include <cstdio>
#include <cstdlib>

#include "tests/reliability/common/memory_usage.h"
#include "tests/reliability/soak/soak.h"

namespace {

void Print(const swkv::test::SoakFigures& f, bool final) {
  std::printf(
      "%s%lld passes (%lld rounds) in %.1f s: %.1f us per pass, %.1f library calls per "
      "pass; %lld notifications, %lld events read\n",
      final ? "soak: " : "  ", static_cast<long long>(f.passes), static_cast<long long>(f.rounds),
      f.seconds, f.passes ? f.seconds * 1e6 / static_cast<double>(f.passes) : 0.0,
      f.passes ? static_cast<double>(f.libraryCalls) / static_cast<double>(f.passes) : 0.0,
      static_cast<long long>(f.notifications), static_cast<long long>(f.events));
  std::printf(
      "%sheap in use: %zu before the tree, %zu after round 1, %zu now (lowest %zu, "
      "highest %zu); resident: %zu kB, %zu kB, %zu kB\n",
      final ? "soak: " : "  ", f.heapBefore, f.heapStart, f.heapEnd, f.heapLowest, f.heapHighest,
      f.residentBefore / 1024, f.residentStart / 1024, f.residentEnd / 1024);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  long long passes = argc > 1 ? std::atoll(argv[1]) : 100000;
  if (passes <= 0) {
    std::fprintf(stderr, "usage: swkv_soak [passes]\n");
    return 2;
  }
  // The first line gives standard output its buffer before anything is measured.
  std::printf(
      "soak: %lld polling passes over the default scenario, its timeline starting over "
      "every %d s\n",
      passes, swkv::test::kSoakRoundSeconds);
  std::fflush(stdout);
  swkv::test::SoakFigures figures = swkv::test::RunSoak(passes, [](const auto& f) {
    if (f.rounds % 50 == 0) Print(f, false);
  });
  Print(figures, true);
  std::printf("soak: after the root was released: %ld module locks, %zu nodes listed\n",
              figures.moduleLocksAfter, figures.nodesAliveAfter);
  bool flat = figures.heapEnd <= figures.heapStart + swkv::test::HeapNoise();
  bool released = figures.moduleLocksAfter == 0 && figures.nodesAliveAfter == 0;
  std::printf("soak: %s (heap allowed to move by %zu bytes)\n",
              flat && released ? "flat, nothing left" : "FAILED", swkv::test::HeapNoise());
  return flat && released ? 0 : 1;
}
