// One verdict over the system, as monitoring plugins give it: OK, WARNING, CRITICAL or UNKNOWN
// (exit codes 0 to 3), the problems that led to it, and performance data.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tools/monitoring/system_state.h"

namespace swkv::mon {

enum class Severity { kOk = 0, kWarning = 1, kCritical = 2, kUnknown = 3 };
// "OK", "WARNING", "CRITICAL", "UNKNOWN".
const char* SeverityName(Severity severity);

// Bay temperatures (Celsius) at or over which a verdict warns or turns critical.
struct Thresholds {
  double warning = 45;
  double critical = 55;
};

struct Problem {
  Severity severity = Severity::kOk;
  std::string path;   // "HBA1/ch2/master"
  std::string brief;  // "failed": what the first line says after the path
  std::string words;  // what it means, for a person
};

struct Verdict {
  Severity severity = Severity::kOk;
  std::vector<Problem> problems;  // the worst first, then in tree order
  std::string summary;            // after "SWKV STATUS - "
  std::vector<std::pair<std::string, std::string>> perfdata;  // label, value[;warn;crit]
};

Verdict Judge(const SystemState& state, const Thresholds& thresholds);
// A verdict that could not look at the system (the component cannot be loaded, ...).
Verdict Unknown(const std::string& why);

// "SWKV CRITICAL - ... | arrays=5 ...", then one line per problem.
void PrintPluginText(const Verdict& verdict, std::ostream& out);
// The same as one JSON object.
void PrintVerdictJson(const Verdict& verdict, std::ostream& out);

}  // namespace swkv::mon
