#include "tools/monitoring/commands.h"

#include <cstdlib>
#include <sstream>

#include "tools/monitoring/prometheus_text.h"
#include "tools/monitoring/serve_loop.h"
#include "tools/monitoring/textfile.h"
#include "tools/monitoring/verdict.h"
#include "tools/swkvctl/arguments.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/river_calls.h"

namespace swkv::mon {

namespace {

using ctl::Failure;

double Degrees(const std::string& option, const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || !end || *end != '\0' || !(value > -100 && value < 1000))
    throw Failure(ctl::kExitUsage, "health: " + option + " takes degrees Celsius, not " + text);
  return value;
}

Verdict HealthVerdict(ctl::Session& session, const std::vector<std::string>& words, bool& json) {
  ctl::Arguments args(words);
  json = args.Flag("--json");
  Thresholds limits;
  std::string text;
  if (args.Value("-w", text)) limits.warning = Degrees("-w", text);
  if (args.Value("-c", text)) limits.critical = Degrees("-c", text);
  if (limits.warning > limits.critical)
    throw Failure(ctl::kExitUsage, "health: the warning temperature (-w) is above the critical (-c)");
  const auto& rest = args.Positional(0, 1, "health [PATH] [--json] [-w CELSIUS] [-c CELSIUS]");
  session.Open();
  ctl::NodeAt at = ctl::ResolveNode(session.root(), "", rest.empty() ? "" : rest[0]);
  if (at.kind != ctl::kKindRoot && at.kind != ctl::kKindController)
    throw Failure(ctl::kExitUsage, "health takes the root or a controller, not " +
                                       ctl::ShowPath(at.path) + " (" + ctl::KindName(at.kind) +
                                       ")");
  return Judge(ReadState(at.river.get(), at.path, at.kind), limits);
}

int Health(ctl::Session& session, const std::vector<std::string>& words, std::ostream& out) {
  bool json = false;
  Verdict verdict;
  try {
    verdict = HealthVerdict(session, words, json);
  } catch (const Failure& failure) {
    verdict = Unknown(failure.what());
  }
  if (json)
    PrintVerdictJson(verdict, out);
  else
    PrintPluginText(verdict, out);
  return static_cast<int>(verdict.severity);
}

int Metrics(ctl::Session& session, const std::vector<std::string>& words, std::ostream& out,
            std::ostream& err) {
  ctl::Arguments args(words);
  std::string textfile;
  const bool toFile = args.Value("--textfile", textfile);
  args.Positional(0, 0, "metrics [--textfile FILE]");
  std::ostringstream text;
  int code = ctl::kExitOk;
  try {
    session.Open();
    WriteMetrics(ReadState(session.root(), "", ctl::kKindRoot), nullptr, text);
  } catch (const Failure& failure) {
    // A collector still gets an answer: the tree could not be read.
    err << "swkvctl: " << failure.what() << "\n";
    text.str("");
    WriteDownMetrics(text);
    code = failure.code();
  }
  if (toFile)
    WriteTextfile(textfile, text.str());
  else
    out << text.str();
  return code;
}

}  // namespace

SystemState ReadState(IRiver* node, const std::string& path, int kind) {
  ctl::TreeSnapshot tree = ctl::TreeSnapshot::Take(node, path, kind);
  return ReadSystemState(tree);
}

bool IsMonitoringCommand(const std::string& name) {
  return name == "health" || name == "metrics" || name == "serve";
}

int RunMonitoringCommand(ctl::Session& session, const std::vector<std::string>& words,
                         std::ostream& out, std::ostream& err) {
  try {
    if (words[0] == "health") return Health(session, words, out);
    if (words[0] == "metrics") return Metrics(session, words, out, err);
    return Serve(session, words, out);
  } catch (const Failure& failure) {
    out.flush();
    err << "swkvctl: " << failure.what() << "\n";
    return failure.code();
  }
}

}  // namespace swkv::mon
