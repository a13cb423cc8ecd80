// The soak, briefly: five rounds of the default scenario's timeline (900 polling passes), with
// swkvctl serve's scrape of the whole tree (the arrays' status read live, the metrics and the
// verdict made) after every tenth pass. The heap in use after the last round is no higher than
// after the first (to the byte under the sanitizers), and releasing the root leaves nothing
// behind. The program swkv_soak runs the soak for any length.
#include "tests/reliability/soak/soak.h"

#include <gtest/gtest.h>

#include "tests/reliability/common/memory_usage.h"

namespace swkv::test {
namespace {

TEST(Soak, PollingAndScrapingForRoundsOfTheTimelineKeepTheHeapFlat) {
  const SoakFigures f = RunSoak(5 * kSoakRoundSeconds, nullptr, 10);
  PrintSoakFigures(f, "");
  EXPECT_LE(f.heapEnd, f.heapStart + HeapNoise());
  EXPECT_EQ(f.moduleLocksAfter, 0);
  EXPECT_EQ(f.nodesAliveAfter, 0u);
  EXPECT_EQ(f.scrapes, 5 * kSoakRoundSeconds / 10);
  // The timeline did reach the agent: the pass notified and decoded events.
  EXPECT_GT(f.notifications, f.rounds);
  EXPECT_GT(f.events, f.rounds);
}

}  // namespace
}  // namespace swkv::test
