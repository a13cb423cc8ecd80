#include "tools/monitoring/verdict.h"

#include <algorithm>
#include <cstdio>

#include "tools/swkvctl/json_text.h"

namespace swkv::mon {

namespace {

// The first line names this many problems at most; the lines below name them all.
constexpr std::size_t kNamedInSummary = 4;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

bool Busy(const std::string& state) {
  return state == "synchronising" || state == "rebuilding" || state == "converting";
}

// Charge states that mean the battery cannot back the cache up; those that mean it is not full.
bool BatteryFailed(const std::string& word) {
  return word == "unknown_error" || word == "fully_discharged" ||
         word == "terminate_discharge_alarm" || word == "over_temp_alarm" ||
         word == "terminate_charge_alarm" || word == "over_charge_alarm";
}

void JudgeArrays(const SystemState& state, std::vector<Problem>& problems) {
  for (const ArrayState& array : state.arrays) {
    if (array.state == "critical")
      problems.push_back({Severity::kCritical, array.path, "critical",
                          "array critical: a member is lost and the array has no redundancy left"});
    else if (array.state == "down")
      problems.push_back({Severity::kCritical, array.path, "down",
                          "array down: more members are lost than it can bear; its data is "
                          "unreachable"});
    else if (Busy(array.state))
      problems.push_back({Severity::kWarning, array.path, array.described,
                          "array " + array.described + ": " +
                              (array.state == "rebuilding"
                                   ? "redundancy is being restored onto a disk"
                                   : array.state == "converting"
                                         ? "the array is changing its mode or members"
                                         : "its redundancy is being made consistent")});
    else if (array.state != "normal")
      problems.push_back({Severity::kUnknown, array.path, "status " + array.status,
                          "array status " + array.status + " is not one the component defines"});
  }
}

void JudgeDisks(const SystemState& state, std::vector<Problem>& problems) {
  for (const DiskState& disk : state.disks) {
    const std::string what = disk.model + (disk.sizeText.empty() ? "" : ", " + disk.sizeText) +
                             (disk.array.empty() ? "" : ", in array " + disk.array);
    if (disk.state == "failed")
      problems.push_back({Severity::kCritical, disk.path, "failed",
                          "disk failed or offline (" + what + "): replace it"});
    else if (disk.smart == "error")
      problems.push_back({Severity::kWarning, disk.path, "SMART error",
                          "disk reports a SMART error (" + what + "): it may fail soon"});
  }
}

void JudgeBays(const SystemState& state, const Thresholds& limits,
               std::vector<Problem>& problems) {
  for (const BayState& bay : state.bays) {
    if (bay.fanRpm && *bay.fanRpm <= 0)
      problems.push_back({Severity::kCritical, bay.path, "fan stopped",
                          "the bay's fan stopped: its disks will overheat"});
    for (const auto& [rail, good] : {std::pair{"5 V", bay.supply5V}, {"12 V", bay.supply12V}})
      if (good && !*good)
        problems.push_back({Severity::kCritical, bay.path, std::string(rail) + " failed",
                            std::string("the bay's ") + rail + " supply rail failed"});
    if (!bay.temperature) continue;
    const std::string degrees = Number(*bay.temperature) + " C";
    if (*bay.temperature >= limits.critical)
      problems.push_back({Severity::kCritical, bay.path, degrees,
                          "temperature " + degrees + ", at or over the critical " +
                              Number(limits.critical) + " C"});
    else if (*bay.temperature >= limits.warning)
      problems.push_back({Severity::kWarning, bay.path, degrees,
                          "temperature " + degrees + ", at or over the warning " +
                              Number(limits.warning) + " C"});
  }
}

void JudgeBatteries(const SystemState& state, std::vector<Problem>& problems) {
  for (const BatteryState& battery : state.batteries) {
    const std::string word = BatteryWord(battery.status);
    if (BatteryFailed(word))
      problems.push_back({Severity::kCritical, battery.path, word,
                          "battery " + battery.status + ": it cannot keep the cache"});
    else if (word != "fully_charged" && word != "ok")
      problems.push_back({Severity::kWarning, battery.path, word,
                          "battery " + battery.status + ": not fully charged"});
  }
}

}  // namespace

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kOk: return "OK";
    case Severity::kWarning: return "WARNING";
    case Severity::kCritical: return "CRITICAL";
    case Severity::kUnknown: return "UNKNOWN";
  }
  return "UNKNOWN";
}

Verdict Judge(const SystemState& state, const Thresholds& thresholds) {
  Verdict verdict;
  if (state.controllers.empty()) return Unknown("no controller found");
  JudgeArrays(state, verdict.problems);
  JudgeDisks(state, verdict.problems);
  JudgeBays(state, thresholds, verdict.problems);
  JudgeBatteries(state, verdict.problems);
  // Worst first; UNKNOWN ranks between WARNING and CRITICAL, as the plugins' guidelines have it.
  auto rank = [](Severity s) { return s == Severity::kUnknown ? 2 : s == Severity::kCritical ? 3 : int(s); };
  std::stable_sort(verdict.problems.begin(), verdict.problems.end(),
                   [&](const Problem& a, const Problem& b) { return rank(a.severity) > rank(b.severity); });
  if (!verdict.problems.empty()) verdict.severity = verdict.problems.front().severity;

  std::size_t normal = 0, critical = 0, down = 0, busy = 0, failed = 0;
  for (const ArrayState& array : state.arrays) {
    normal += array.state == "normal";
    critical += array.state == "critical";
    down += array.state == "down";
    busy += Busy(array.state);
  }
  for (const DiskState& disk : state.disks) failed += disk.state == "failed";
  for (std::size_t i = 0; i < verdict.problems.size() && i < kNamedInSummary; ++i)
    verdict.summary += (i ? "; " : "") + verdict.problems[i].path + " " + verdict.problems[i].brief;
  if (verdict.problems.size() > kNamedInSummary)
    verdict.summary += "; " + std::to_string(verdict.problems.size() - kNamedInSummary) + " more";
  verdict.summary += (verdict.summary.empty() ? "" : "; ") + std::to_string(normal) + " of " +
                     std::to_string(state.arrays.size()) + " arrays normal, " +
                     std::to_string(state.disks.size() - failed) + " of " +
                     std::to_string(state.disks.size()) + " disks working";

  auto& perf = verdict.perfdata;
  perf.emplace_back("arrays", std::to_string(state.arrays.size()));
  perf.emplace_back("arrays_critical", std::to_string(critical));
  perf.emplace_back("arrays_down", std::to_string(down));
  perf.emplace_back("arrays_busy", std::to_string(busy));
  perf.emplace_back("disks", std::to_string(state.disks.size()));
  perf.emplace_back("disks_failed", std::to_string(failed));
  std::string limits = ";";
  limits.append(Number(thresholds.warning)).append(";").append(Number(thresholds.critical));
  for (const BayState& bay : state.bays)
    if (bay.temperature)
      perf.emplace_back(bay.controller + "_" + bay.name + "_celsius",
                        Number(*bay.temperature) + limits);
  return verdict;
}

Verdict Unknown(const std::string& why) {
  Verdict verdict;
  verdict.severity = Severity::kUnknown;
  verdict.summary = why;
  return verdict;
}

void PrintPluginText(const Verdict& verdict, std::ostream& out) {
  out << "SWKV " << SeverityName(verdict.severity) << " - " << verdict.summary;
  if (!verdict.perfdata.empty()) {
    out << " |";
    for (const auto& [label, value] : verdict.perfdata) out << " " << label << "=" << value;
  }
  out << "\n";
  for (const Problem& problem : verdict.problems)
    out << SeverityName(problem.severity) << ": " << problem.path << ": " << problem.words << "\n";
}

void PrintVerdictJson(const Verdict& verdict, std::ostream& out) {
  using ctl::JsonString;
  out << "{\"status\": " << JsonString(SeverityName(verdict.severity))
      << ", \"code\": " << static_cast<int>(verdict.severity)
      << ", \"summary\": " << JsonString(verdict.summary) << ",\n \"problems\": [";
  for (std::size_t i = 0; i < verdict.problems.size(); ++i) {
    const Problem& problem = verdict.problems[i];
    out << (i ? ",\n  " : "\n  ") << "{\"severity\": " << JsonString(SeverityName(problem.severity))
        << ", \"path\": " << JsonString(problem.path) << ", \"brief\": " << JsonString(problem.brief)
        << ", \"what\": " << JsonString(problem.words) << "}";
  }
  out << (verdict.problems.empty() ? "" : "\n ") << "],\n \"perfdata\": {";
  for (std::size_t i = 0; i < verdict.perfdata.size(); ++i) {
    const std::string& value = verdict.perfdata[i].second;
    out << (i ? ", " : "") << JsonString(verdict.perfdata[i].first) << ": "
        << value.substr(0, value.find(';'));
  }
  out << "}}\n";
}

}  // namespace swkv::mon
