// The fault sweep: the agent's whole session over the default two-controller system, repeated
// with exactly one library call failing or misbehaving, for every call the session makes. Every
// run must end with the root released, no node left (module lock count 0, both node lists
// empty), no text out of bounds, no crash, no sanitizer report and no leak.
//
// The test command runs samples: every function failing at its first and at its last call, and
// every misbehaviour the simulated library offers for a function at its first call (negative
// values, unterminated texts) and at its last (huge values). With SWKV_SWEEP=full the two full
// sweeps run every misbehaviour at every call of the session:
//   SWKV_SWEEP=full build/dev/bin/swkv_reliability_tests --gtest_filter='FaultSweep.Every*'
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "com/module_lock.h"
#include "sim/sim_control.h"
#include "tests/reliability/common/agent_session.h"
#include "tests/reliability/common/library_functions.h"
#include "tests/reliability/common/memory_usage.h"
#include "tests/support/files.h"
#include "tests/support/message_capture.h"
#include "tests/support/registry_sandbox.h"
#include "events/polled_nodes.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#include <sanitizer/lsan_interface.h>
#define SWKV_LEAK_CHECK 1
#endif

namespace swkv::test {
namespace {

// A status no library function returns by itself.
constexpr std::int32_t kFailStatus = 0x7E57;
// Replacement values: a negative one (an index below every table; 65529 as a 16-bit reading)
// and a huge one (past every table and every buffer).
constexpr std::int32_t kNegativeValue = -7;
constexpr std::int32_t kHugeValue = 0x7FFFFFF0;
// The longest entry text a node may show: "DV@pr-@" and a driver text that fills its whole
// buffer of 256 bytes (the component takes an unterminated one as it is).
constexpr std::size_t kLongestEntry = 7 + RA_VERSION_SIZE;
// The longest event record: "category@time@severity@name@text" with numbers of at most 11
// characters, the longest event name (20) and an event text that fills its 128 bytes.
constexpr std::size_t kLongestRecord = 3 * 11 + 4 + 20 + sizeof(RaEventRecord::text);

struct Fault {
  const LibraryFunction* function = nullptr;
  std::int64_t call = 0;  // 1-based among the session's calls of the function
  int kind = 0;           // 0: fail; else SIM_MISBEHAVE_*
  std::int32_t output = 0;
  std::int32_t value = 0;

  std::string Label() const {
    std::string label = std::string(function->name) + " call " + std::to_string(call);
    if (kind == 0) return label + " fails";
    if (kind == SIM_MISBEHAVE_COUNT) return label + " reports count " + std::to_string(value);
    if (kind == SIM_MISBEHAVE_UNTERMINATED) return label + " leaves its texts unterminated";
    return label + " writes " + std::to_string(value) + " as output " + std::to_string(output);
  }
  void Apply() const {
    if (kind == 0)
      simFailCall(function->name, -1, static_cast<std::int32_t>(call), kFailStatus);
    else
      simMisbehave(function->name, -1, static_cast<std::int32_t>(call), kind, output, value);
  }
};

// The misbehaviours of one call of a function: with the negative values, the huge ones, or
// both (the text buffers left unterminated and the values left unwritten go with the negative
// ones).
enum class Values { kNegative, kHuge, kAll };
using Faults = std::vector<Fault>;
void AddMisbehaviours(const LibraryFunction& f, std::int64_t call, Values values, Faults& faults) {
  bool negative = values != Values::kHuge;
  bool huge = values != Values::kNegative;
  if (f.room > 0) {
    if (negative) faults.push_back({&f, call, SIM_MISBEHAVE_COUNT, 0, -1});
    faults.push_back({&f, call, SIM_MISBEHAVE_COUNT, 0, f.room + 1});
    if (huge) faults.push_back({&f, call, SIM_MISBEHAVE_COUNT, 0, 0x7FFFFFFF});
  }
  if (f.texts && negative) faults.push_back({&f, call, SIM_MISBEHAVE_UNTERMINATED, 0, 0});
  if (f.outputs > 0 && negative) faults.push_back({&f, call, SIM_MISBEHAVE_SILENT, 0, 0});
  for (std::int32_t output = 0; output < f.outputs; ++output) {
    if (negative) faults.push_back({&f, call, SIM_MISBEHAVE_OUTPUT, output, kNegativeValue});
    if (huge) faults.push_back({&f, call, SIM_MISBEHAVE_OUTPUT, output, kHugeValue});
  }
}

// What a crash report names: the run that was going on.
char g_currentRun[256] = "the clean session";
#if defined(SWKV_LEAK_CHECK)
void NameTheRun() {
  std::fprintf(stderr, "fault sweep: died during the run where %s\n", g_currentRun);
}
#endif

bool FullSweep() { return GetEnv("SWKV_SWEEP") == "full"; }

class FaultSweep : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#if defined(SWKV_LEAK_CHECK)
    __sanitizer_set_death_callback(NameTheRun);
#endif
  }

  using Counts = std::map<std::string, std::int64_t>;  // calls per function

  // Runs the session with the fault (none for a clean run); the problems it left, or "". The
  // session's tally and its library calls per function go to the optional outputs.
  std::string Run(const Fault* fault, AgentSession::Tally* tally = nullptr,
                  Counts* counts = nullptr) {
    std::snprintf(g_currentRun, sizeof g_currentRun, "%s",
                  fault ? fault->Label().c_str() : "the clean session");
    ResetComponentAndLibrary();
    if (fault) fault->Apply();
    AgentSession session;
    session.RunAll();
    if (tally) *tally = session.tally();
    for (const LibraryFunction& f : kLibraryFunctions)
      if (counts) (*counts)[f.name] = simCallCount(f.name, -1);

    std::string problems;
    auto note = [&problems](bool found, std::size_t count, const char* what) {
      if (found) problems.append(" ").append(std::to_string(count)).append(what);
    };
    const long locks = ModuleLockCount();
    note(locks != 0, static_cast<std::size_t>(locks), " module locks held;");
    note(!ArrayNodeList().empty(), ArrayNodeList().size(), " array nodes alive;");
    note(!ControllerNodeList().empty(), ControllerNodeList().size(), " controller nodes alive;");
    note(session.tally().longest > kLongestEntry, session.tally().longest,
         " characters in an entry;");
    note(session.tally().longestRecord > kLongestRecord, session.tally().longestRecord,
         " characters in an event record;");
#if defined(SWKV_LEAK_CHECK)
    if (Leaked()) problems += " leaked memory;";
#endif
    return problems;
  }

#if defined(SWKV_LEAK_CHECK)
  // Whether the run left memory that nothing refers to. With the library back at its start, the
  // heap in use comes back to the same figure after every run unless something was kept: only
  // a run that leaves more than the run before it is worth the leak checker's full scan. A leak
  // stays on the heap, so after the first one the checker would name it again for later runs:
  // later runs are not checked (the check at the end of the process still sees everything).
  bool Leaked() {
    ResetComponentAndLibrary();
    std::size_t before = std::exchange(m_heapInUse, HeapBytes());
    if (m_leakFound || m_heapInUse <= before) return false;
    m_leakFound = __lsan_do_recoverable_leak_check() != 0;
    return m_leakFound;
  }
  bool m_leakFound = false;
  std::size_t m_heapInUse = 0;
#endif

  // Runs every fault that make gives for the functions of a clean session (with their calls in
  // it); fails the test with the list of runs that left problems.
  void Sweep(const std::function<void(const LibraryFunction&, std::int64_t, Faults&)>& make) {
    Counts counts;
    ASSERT_EQ(Run(nullptr, nullptr, &counts), "") << "the clean session";
    Faults faults;
    for (const LibraryFunction& f : kLibraryFunctions)
      if (counts[f.name] > 0) make(f, counts[f.name], faults);
    ASSERT_FALSE(faults.empty());
    std::string failures;
    for (const Fault& fault : faults)
      if (std::string problems = Run(&fault); !problems.empty())
        failures += "\n  " + fault.Label() + ":" + problems;
    EXPECT_EQ(failures, "") << "of " << faults.size() << " runs";
  }

  RegistrySandbox registry;
  MessageCapture messages;
};

TEST_F(FaultSweep, CleanSessionIsRepeatableAndLeavesNothingBehind) {
  AgentSession::Tally first, second;
  Counts firstCounts, secondCounts;
  ASSERT_EQ(Run(nullptr, &first, &firstCounts), "");
  ASSERT_EQ(Run(nullptr, &second, &secondCounts), "");
  EXPECT_EQ(secondCounts, firstCounts);
  EXPECT_EQ(first.nodes, second.nodes);
  // The session reached what the sweep means it to reach: the whole tree, the new array, the
  // rebuild, the events.
  EXPECT_GT(first.nodes, 80);  // two walks of more than 40 nodes
  EXPECT_GT(first.events, 0);
  for (const char* function :
       {"raCreateArray", "raDeleteArray", "raArrayRebuildDisk", "raArraySynchronize",
        "raRenameArray", "raSetRebuildRate", "raGetEvents", "raClearLog", "raGetEnclosureStatus",
        "raGetChargeCycle"})
    EXPECT_GT(firstCounts[function], 0) << function;
}

// The samples: about eighty runs each, a few seconds under the sanitizers.
TEST_F(FaultSweep, EachFunctionFailingAtItsFirstAndAtItsLastCall) {
  Sweep([](auto& f, std::int64_t count, Faults& faults) {
    faults.push_back({&f, 1});
    if (count > 1) faults.push_back({&f, count});
  });
}

// Negative values and unterminated texts at the first call, huge values at the last.
TEST_F(FaultSweep, EachFunctionMisbehavingAtItsFirstAndAtItsLastCall) {
  Sweep([](auto& f, std::int64_t count, Faults& faults) {
    AddMisbehaviours(f, 1, Values::kNegative, faults);
    AddMisbehaviours(f, count, Values::kHuge, faults);
  });
}

TEST_F(FaultSweep, EveryCallFailing) {
  if (!FullSweep()) GTEST_SKIP() << "SWKV_SWEEP=full runs it";
  Sweep([](auto& f, std::int64_t count, Faults& faults) {
    for (std::int64_t call = 1; call <= count; ++call) faults.push_back({&f, call});
  });
}

TEST_F(FaultSweep, EveryCallMisbehaving) {
  if (!FullSweep()) GTEST_SKIP() << "SWKV_SWEEP=full runs it";
  Sweep([](auto& f, std::int64_t count, Faults& faults) {
    for (std::int64_t call = 1; call <= count; ++call)
      AddMisbehaviours(f, call, Values::kAll, faults);
  });
}

}  // namespace
}  // namespace swkv::test
