// Sessions of the controller selection against the simulated library: each file in sessions/
// is a list of calls (below), each followed by what it returned, the library's closes and opens
// it made, by the controller they acted on ("none": no controller open), and then the
// controller the library has open, the current index, the last status, and the selection
// pointer ("sN", the Nth the session saw) with the index it points at.
//   select N / open N / set-current N / set-status N / record STATUS   the selection's calls
//   fail FUNCTION CONTROLLER CALL STATUS / clear-faults / scenario JSON   the library's faults
//                                    (as simFailCall) and scenario
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "raidlib/selection.h"
#include "sim/sim_control.h"
#include "tests/support/replay.h"

namespace swkv {
namespace {

class SelectionSession {
 public:
  SelectionSession() {
    ResetSelection();
    EXPECT_EQ(simReset(), 0) << simLastError();  // the default scenario: two controllers
    simResetCallCounts();
  }

  std::string Run(const std::string& line) {
    std::istringstream in(line);
    std::string c, function;
    int32_t n = 0, controller = 0, call = 0;
    in >> c;
    if (c == "fail") in >> function >> controller >> call;
    in >> n;
    std::ostringstream out;
    if (c == "select") out << (SelectController(n) ? "true" : "false");
    else if (c == "open") out << OpenController(n);
    else if (c == "set-current") SetCurrentController(n);
    else if (c == "set-status") SetLastStatus(n);
    else if (c == "record") out << RecordStatus(n);
    else if (c == "fail") out << simFailCall(function.c_str(), controller, call, n);
    else if (c == "clear-faults") simClearFaults();
    else if (c == "scenario") out << simLoadScenarioText(line.substr(9).c_str());
    else throw std::invalid_argument("no command " + c);
    for (const char* name : {"raTerminate", "raInitialize"}) {
      for (int i : {0, 1, -1}) {  // -1: the calls with no controller open
        const int64_t now = simCallCount(name, i) -
                            (i < 0 ? simCallCount(name, 0) + simCallCount(name, 1) : 0);
        for (int64_t& seen = m_counts[name][i]; seen < now; ++seen)
          out << " " << name << "(" << (i < 0 ? "none" : std::to_string(i)) << ")";
      }
    }
    out << (out.tellp() > 0 ? "; open " : "open ") << simOpenController() << ", current "
        << CurrentController() << ", status " << LastStatus() << ", selection ";
    int32_t* pointer = SelectionPointer();
    if (!pointer) return out.str() + "none\n";
    int& ordinal = m_pointers[pointer];
    if (!ordinal) ordinal = static_cast<int>(m_pointers.size());
    return out.str() + "s" + std::to_string(ordinal) + "=" + std::to_string(*pointer) + "\n";
  }

 private:
  std::map<std::string, std::map<int, int64_t>> m_counts;
  std::map<int32_t*, int> m_pointers;
};

SWKV_SESSION_TESTS(SelectionSessionTest, SelectionSession,
                   std::string(SWKV_TESTS_DIR) + "/raidlib/sessions");

}  // namespace
}  // namespace swkv
