// The soak, briefly: five rounds of the default scenario's timeline (900 polling passes). The
// heap in use after the last round is no higher than after the first (to the byte under the
// sanitizers), and releasing the root leaves nothing behind. SWKV_SOAK=N runs N passes instead
// (SWKV_SOAK=1: the full 100,000); the program swkv_soak does the same outside the test framework.
#include "tests/reliability/soak/soak.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/reliability/common/memory_usage.h"

namespace swkv::test {
namespace {

// The heap in use after the last round no higher than after the first, and nothing left once the
// root was released.
void ExpectFlatAndReleased(const SoakFigures& f) {
  PrintSoakFigures(f, "");
  EXPECT_LE(f.heapEnd, f.heapStart + HeapNoise());
  EXPECT_EQ(f.moduleLocksAfter, 0);
  EXPECT_EQ(f.nodesAliveAfter, 0u);
}

TEST(Soak, PollingForRoundsOfTheTimelineKeepsTheHeapFlat) {
  std::int64_t passes = 5 * kSoakRoundSeconds;
  if (const char* requested = std::getenv("SWKV_SOAK")) {
    long long n = std::atoll(requested);
    passes = n == 1 ? 100000 : n > 0 ? n : passes;
  }
  SoakFigures f = RunSoak(passes);
  ExpectFlatAndReleased(f);
  EXPECT_GE(f.rounds, 2);
  // The timeline did reach the agent: the pass notified and decoded events.
  EXPECT_GT(f.notifications, f.rounds);
  EXPECT_GT(f.events, f.rounds);
}

// swkvctl serve's scrape after every fourth pass: reading the tree, the arrays' status and making
// the metrics and the verdict leave the heap as flat as the passes alone.
TEST(Soak, ScrapingTheTreeBetweenPassesKeepsTheHeapFlat) {
  SoakFigures f = RunSoak(2 * kSoakRoundSeconds, nullptr, 4);
  ExpectFlatAndReleased(f);
  EXPECT_EQ(f.scrapes, 2 * kSoakRoundSeconds / 4);
}

}  // namespace
}  // namespace swkv::test
