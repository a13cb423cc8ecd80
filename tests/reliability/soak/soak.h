// The soak: the default two-controller system left to the polling pass for a long time, one pass
// per second of the library's clock, with the scenario's timeline starting over every few
// minutes so that disks keep failing and coming back, activities keep running, readings keep
// changing and events keep coming. The agent listens on both controllers and reads every event.
// Memory is measured at the same point of every round of the timeline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace swkv::test {

struct SoakFigures {
  std::int64_t passes = 0;
  std::int64_t rounds = 0;         // rounds of the timeline
  double seconds = 0;              // time the passes took
  std::int64_t notifications = 0;  // RAIDNotification calls the agent's sinks received
  std::int64_t events = 0;         // event records the agent read
  std::int64_t libraryCalls = 0;
  std::int64_t scrapes = 0;        // monitoring scrapes of the whole tree
  // Memory before the tree was built, after the first round (start) and after the last (end).
  std::size_t residentBefore = 0, residentStart = 0, residentEnd = 0;
  std::size_t heapBefore = 0, heapStart = 0, heapEnd = 0;
  std::size_t heapLowest = 0, heapHighest = 0;  // over the rounds after the first
  long moduleLocksAfter = -1;                   // after the root was released: 0
  std::size_t nodesAliveAfter = 0;              // array and controller nodes still listed: 0
};

// Seconds of one round of the timeline: the default scenario's last entry comes at 150 s.
inline constexpr int kSoakRoundSeconds = 180;

// Runs passes polling passes (whole rounds: rounded up). progress, when given, is called after
// every round with the figures so far. With scrapeEvery > 0, swkvctl serve's scrape of the whole
// tree (the arrays' status read live, the metrics and the verdict made) follows every
// scrapeEvery-th pass.
SoakFigures RunSoak(std::int64_t passes,
                    const std::function<void(const SoakFigures&)>& progress = nullptr,
                    int scrapeEvery = 0);

// Prints the figures on standard output, in two lines that start with prefix.
void PrintSoakFigures(const SoakFigures& f, const char* prefix);

}  // namespace swkv::test
