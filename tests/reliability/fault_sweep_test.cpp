// The fault sweep: the agent's whole session over the default two-controller system, repeated
// with exactly one library call failing or misbehaving. Every run must end with the root
// released, no node left (module lock count 0, both node lists empty), no text out of bounds, no
// crash, no sanitizer report and no leak.
//
// The test command faults each function at its first and at its last call: failing, and with
// every misbehaviour the simulated library offers (negative values, unterminated texts and
// unwritten values at the first call, huge values at the last). With SWKV_SWEEP=full every
// misbehaviour is tried at every call of the session:
//   SWKV_SWEEP=full build/dev/bin/swkv_reliability_tests --gtest_filter='FaultSweep.*'
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "com/module_lock.h"
#include "events/polled_nodes.h"
#include "sim/sim_control.h"
#include "tests/reliability/common/agent_session.h"
#include "tests/reliability/common/library_functions.h"
#include "tests/reliability/common/memory_usage.h"
#include "tests/support/files.h"
#include "tests/support/message_capture.h"
#include "tests/support/registry_sandbox.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#include <sanitizer/lsan_interface.h>
#define SWKV_LEAK_CHECK 1
#endif

namespace swkv::test {
namespace {

// A status no library function returns by itself.
constexpr std::int32_t kFailStatus = 0x7E57;
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

  // The fault as sim/sim_control.h numbers it (misbehaviour 0: the call fails).
  std::string Label() const {
    return std::string(function->name) + " call " + std::to_string(call) + " misbehaviour " +
           std::to_string(kind) + " output " + std::to_string(output) + " value " +
           std::to_string(value);
  }
  void Apply() const {
    if (kind == 0)
      simFailCall(function->name, -1, static_cast<std::int32_t>(call), kFailStatus);
    else
      simMisbehave(function->name, -1, static_cast<std::int32_t>(call), kind, output, value);
  }
};
using Faults = std::vector<Fault>;

// The misbehaviours of one call: with the negative values (-7 is an index below every table, and
// 65529 as a 16-bit reading; the texts left unterminated and the values unwritten go with
// them), the huge ones (past every table and every buffer), or both.
void AddMisbehaviours(const LibraryFunction& f, std::int64_t call, bool negative, bool huge,
                      Faults& faults) {
  if (f.room > 0) {
    if (negative) faults.push_back({&f, call, SIM_MISBEHAVE_COUNT, 0, -1});
    faults.push_back({&f, call, SIM_MISBEHAVE_COUNT, 0, f.room + 1});
    if (huge) faults.push_back({&f, call, SIM_MISBEHAVE_COUNT, 0, 0x7FFFFFFF});
  }
  if (f.texts && negative) faults.push_back({&f, call, SIM_MISBEHAVE_UNTERMINATED, 0, 0});
  if (f.outputs > 0 && negative) faults.push_back({&f, call, SIM_MISBEHAVE_SILENT, 0, 0});
  for (std::int32_t output = 0; output < f.outputs; ++output) {
    if (negative) faults.push_back({&f, call, SIM_MISBEHAVE_OUTPUT, output, -7});
    if (huge) faults.push_back({&f, call, SIM_MISBEHAVE_OUTPUT, output, 0x7FFFFFF0});
  }
}

// What a crash report names: the run that was going on.
char g_currentRun[256] = "the clean session";
#if defined(SWKV_LEAK_CHECK)
void NameTheRun() {
  std::fprintf(stderr, "fault sweep: died during the run where %s\n", g_currentRun);
}
#endif

class FaultSweep : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#if defined(SWKV_LEAK_CHECK)
    __sanitizer_set_death_callback(NameTheRun);
#endif
  }

  struct Outcome {
    std::string problems;  // "" when the run left none
    AgentSession::Tally tally;
    std::map<std::string, std::int64_t> calls;  // per function
  };

  // Runs the session with the fault (none for a clean run).
  Outcome Run(const Fault* fault) {
    std::snprintf(g_currentRun, sizeof g_currentRun, "%s",
                  fault ? fault->Label().c_str() : "the clean session");
    ResetComponentAndLibrary();
    if (fault) fault->Apply();
    AgentSession session;
    session.RunAll();
    Outcome outcome{"", session.tally(), {}};
    for (const LibraryFunction& f : kLibraryFunctions)
      outcome.calls[f.name] = simCallCount(f.name, -1);

    auto note = [&outcome](bool found, std::size_t count, const char* what) {
      if (found) outcome.problems.append(" ").append(std::to_string(count)).append(what);
    };
    const long locks = ModuleLockCount();
    note(locks != 0, static_cast<std::size_t>(locks), " module locks held;");
    note(!ArrayNodeList().empty(), ArrayNodeList().size(), " array nodes alive;");
    note(!ControllerNodeList().empty(), ControllerNodeList().size(), " controller nodes alive;");
    note(outcome.tally.longest > kLongestEntry, outcome.tally.longest, " characters in an entry;");
    note(outcome.tally.longestRecord > kLongestRecord, outcome.tally.longestRecord,
         " characters in an event record;");
#if defined(SWKV_LEAK_CHECK)
    if (Leaked()) outcome.problems += " leaked memory;";
#endif
    return outcome;
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

  // Runs the faults that make gives for each function of a clean session at the calls chosen:
  // the first and the last, or with SWKV_SWEEP=full every one; fails the test with the list of
  // runs that left problems.
  void Sweep(const std::function<void(const LibraryFunction&, std::int64_t call, std::int64_t last,
                                      Faults&)>& make) {
    const Outcome clean = Run(nullptr);
    ASSERT_EQ(clean.problems, "") << "the clean session";
    // SWKV_SWEEP=full: every call of every function, else its first and its last.
    const bool full = GetEnv("SWKV_SWEEP") == "full";
    Faults faults;
    for (const LibraryFunction& f : kLibraryFunctions) {
      const std::int64_t last = clean.calls.at(f.name);
      for (std::int64_t call = 1; call <= last; call = full || call == last ? call + 1 : last)
        make(f, call, last, faults);
    }
    std::string failures;
    for (const Fault& fault : faults)
      if (std::string problems = Run(&fault).problems; !problems.empty())
        failures += "\n  " + fault.Label() + ":" + problems;
    EXPECT_EQ(failures, "") << "of " << faults.size() << " runs";
  }

  RegistrySandbox registry;
  MessageCapture messages;
};

// The session is the same every time, and reaches what the sweep means it to reach: the whole
// tree, the new array, the rebuild, the events.
TEST_F(FaultSweep, CleanSessionIsRepeatableAndReachesEveryPart) {
  const Outcome first = Run(nullptr), second = Run(nullptr);
  EXPECT_EQ(first.problems + second.problems, "");
  EXPECT_EQ(second.calls, first.calls);
  EXPECT_EQ(second.tally.nodes, first.tally.nodes);
  EXPECT_GT(first.tally.nodes, 80);  // two walks of more than 40 nodes
  EXPECT_GT(first.tally.events, 0);
  for (const char* function :
       {"raCreateArray", "raDeleteArray", "raArrayRebuildDisk", "raArraySynchronize",
        "raRenameArray", "raSetRebuildRate", "raGetEvents", "raClearLog", "raGetEnclosureStatus",
        "raGetChargeCycle"})
    EXPECT_GT(first.calls.at(function), 0) << function;
}

TEST_F(FaultSweep, EachFunctionFailing) {
  Sweep([](auto& f, std::int64_t call, std::int64_t, Faults& faults) {
    faults.push_back({&f, call});
  });
}

TEST_F(FaultSweep, EachFunctionMisbehaving) {
  const bool full = GetEnv("SWKV_SWEEP") == "full";
  Sweep([full](auto& f, std::int64_t call, std::int64_t last, Faults& faults) {
    AddMisbehaviours(f, call, full || call == 1, full || call == last, faults);
  });
}

}  // namespace
}  // namespace swkv::test
