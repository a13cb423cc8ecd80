#include "tests/reliability/soak/soak.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "com/module_lock.h"
#include "sim/sim_control.h"
#include "tests/reliability/common/agent_session.h"
#include "tests/reliability/common/library_functions.h"
#include "tests/reliability/common/memory_usage.h"
#include "tests/support/agent.h"
#include "events/polled_nodes.h"
#include "tools/monitoring/scrape.h"
#include "tools/monitoring/system_state.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/tree_snapshot.h"

namespace swkv::test {

SoakFigures RunSoak(std::int64_t passes, const std::function<void(const SoakFigures&)>& progress,
                    int scrapeEvery) {
  SoakFigures figures;
  ResetComponentAndLibrary();
  if (simLoadScenarioFile(SWKV_DEFAULT_SCENARIO) != 0) std::abort();  // the library says why
  figures.residentBefore = ResidentBytes();
  figures.heapBefore = HeapBytes();

  {
    AgentSession session;
    session.Build();
    // The agent listens on both controllers (one sink) and reads both event logs.
    std::vector<ComPtr<IEventLog>> logs;
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    for (const char* name : {"HBA1", "HBA2"}) {
      ComPtr<IRiver> controller = session.At(name);
      logs.push_back(controller.As<IEventLog>(IID_IEventLog));
      sink->AdviseOn(controller.get());
    }

    simResetCallCounts();
    auto started = std::chrono::steady_clock::now();
    std::int64_t rounds = (passes + kSoakRoundSeconds - 1) / kSoakRoundSeconds;
    for (std::int64_t round = 0; round < rounds; ++round) {
      // From the second round on, the timeline starts over: the controllers as the scenario
      // describes them at 0 s, with the library's clock going on.
      if (round > 0) simLoadScenarioFile(SWKV_DEFAULT_SCENARIO);
      for (int second = 0; second < kSoakRoundSeconds; ++second) {
        simAdvanceClock(1000);
        RunPollingPass();
        ++figures.passes;
        for (const auto& log : logs) figures.events += ReadNewEvents(log.get());
        if (scrapeEvery > 0 && figures.passes % scrapeEvery == 0) {
          // One scrape of swkvctl serve: the tree read through IRiver, the metrics, the verdict.
          const auto tree = ctl::TreeSnapshot::Take(session.root(), "", ctl::kKindRoot);
          const mon::ScrapeText text = mon::Render(mon::ReadSystemState(tree), nullptr);
          if (text.metrics.find("swkv_up 1") == std::string::npos) std::abort();
          ++figures.scrapes;
        }
        figures.notifications += static_cast<std::int64_t>(sink->codes.size());
        sink->codes.clear();
      }
      ++figures.rounds;
      std::size_t heap = HeapBytes();
      if (round == 0) {
        figures.residentStart = ResidentBytes();
        figures.heapStart = figures.heapLowest = figures.heapHighest = heap;
      }
      figures.residentEnd = ResidentBytes();
      figures.heapEnd = heap;
      figures.heapLowest = std::min(figures.heapLowest, heap);
      figures.heapHighest = std::max(figures.heapHighest, heap);
      figures.seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      if (progress) progress(figures);
    }
    for (const LibraryFunction& function : kLibraryFunctions)
      figures.libraryCalls += simCallCount(function.name, -1);
    session.Release();
  }
  figures.moduleLocksAfter = ModuleLockCount();
  figures.nodesAliveAfter = ArrayNodeList().size() + ControllerNodeList().size();
  return figures;
}

void PrintSoakFigures(const SoakFigures& f, const char* prefix) {
  std::printf(
      "%s%lld passes (%lld rounds) in %.1f s: %.1f us per pass, %.1f library calls per "
      "pass; %lld notifications, %lld events read, %lld scrapes\n",
      prefix, static_cast<long long>(f.passes), static_cast<long long>(f.rounds), f.seconds,
      f.passes ? f.seconds * 1e6 / static_cast<double>(f.passes) : 0.0,
      f.passes ? static_cast<double>(f.libraryCalls) / static_cast<double>(f.passes) : 0.0,
      static_cast<long long>(f.notifications), static_cast<long long>(f.events),
      static_cast<long long>(f.scrapes));
  std::printf(
      "%sheap in use: %zu before the tree, %zu after round 1, %zu now (lowest %zu, "
      "highest %zu); resident: %zu kB, %zu kB, %zu kB\n",
      prefix, f.heapBefore, f.heapStart, f.heapEnd, f.heapLowest, f.heapHighest,
      f.residentBefore / 1024, f.residentStart / 1024, f.residentEnd / 1024);
  std::fflush(stdout);
}

}  // namespace swkv::test
