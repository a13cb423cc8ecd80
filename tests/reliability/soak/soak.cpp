#include "tests/reliability/soak/soak.h"

#include <algorithm>
#include <chrono>
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

namespace {

// One scrape of swkvctl serve: the tree read through IRiver, then the metrics and the verdict.
void Scrape(IRiver* root) {
  const ctl::TreeSnapshot tree = ctl::TreeSnapshot::Take(root, "", ctl::kKindRoot);
  const mon::ScrapeText text = mon::Render(mon::ReadSystemState(tree), nullptr);
  if (text.metrics.find("swkv_up 1") == std::string::npos) std::abort();
}

}  // namespace

SoakFigures RunSoak(std::int64_t passes, int scrapeEvery) {
  SoakFigures figures;
  ResetComponentAndLibrary();
  if (simLoadScenarioFile(SWKV_DEFAULT_SCENARIO) != 0) std::abort();  // the library says why
  figures.heapBefore = HeapBytes();

  {
    AgentSession session;
    session.Build();
    // The agent listens on both controllers (one sink) and reads both event logs.
    std::vector<ComPtr<IEventLog>> logs;
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    for (const char* name : {"HBA1", "HBA2"}) {
      ComPtr<IRiver> controller = session.At(name);
      if (!controller) continue;
      logs.push_back(controller.As<IEventLog>(IID_IEventLog));
      sink->AdviseOn(controller.get());
    }

    simResetCallCounts();
    auto started = std::chrono::steady_clock::now();
    std::int64_t rounds = (passes + kSoakRoundSeconds - 1) / kSoakRoundSeconds;
    for (std::int64_t round = 0; round < rounds; ++round) {
      if (round > 0) {
        // The timeline starts over: the controllers as the scenario describes them at 0 s,
        // with the library's clock going on.
        simLoadScenarioFile(SWKV_DEFAULT_SCENARIO);
      }
      for (int second = 0; second < kSoakRoundSeconds; ++second) {
        simAdvanceClock(1000);
        RunPollingPass();
        ++figures.passes;
        for (const auto& log : logs) figures.events += ReadNewEvents(log.get());
        if (scrapeEvery > 0 && figures.passes % scrapeEvery == 0) {
          Scrape(session.root());
          ++figures.scrapes;
        }
        figures.notifications += static_cast<std::int64_t>(sink->codes.size());
        sink->codes.clear();
      }
      ++figures.rounds;
      std::size_t heap = HeapBytes();
      if (round == 0) {
        figures.heapStart = figures.heapLowest = figures.heapHighest = heap;
      }
      figures.heapEnd = heap;
      figures.heapLowest = std::min(figures.heapLowest, heap);
      figures.heapHighest = std::max(figures.heapHighest, heap);
      figures.seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    for (const LibraryFunction& function : kLibraryFunctions)
      figures.libraryCalls += simCallCount(function.name, -1);
    session.Release();
  }
  figures.moduleLocksAfter = ModuleLockCount();
  figures.nodesAliveAfter = ArrayNodeList().size() + ControllerNodeList().size();
  return figures;
}

}  // namespace swkv::test
