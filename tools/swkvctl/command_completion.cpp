#include "tools/swkvctl/command_completion.h"

#include <sstream>

#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/shell.h"

namespace swkv::ctl {

namespace {

const std::vector<std::string> kCommands = {"tree",   "ls",    "get",   "set",     "invoke",
                                            "refresh", "events", "watch", "shell", "register",
                                            "unregister", "help"};
const std::vector<std::string> kGlobalOptions = {"--module", "--speed", "--quiet", "--color=auto",
                                                 "--color=always", "--color=never", "--version",
                                                 "--help"};

std::vector<std::string> CommandOptions(const std::string& command) {
  if (command == "tree") return {"--brief", "--json"};
  if (command == "ls" || command == "get" || command == "refresh") return {"--json"};
  if (command == "set") return {"--text-only", "--json"};
  if (command == "invoke") return {"--raw", "--json"};
  if (command == "events") return {"--clear", "--json"};
  if (command == "watch") return {"--seconds", "--json"};
  if (command == "shell") return {"--echo"};
  return {};
}

}  // namespace

int RunCompletion(const SessionOptions& options, const std::vector<std::string>& given,
                  std::ostream& out) {
  // given[0] is "complete"; the words typed follow, the last one being typed. Shells pass them
  // after "--", so that the options among them are not taken as complete's own.
  std::vector<std::string> words = given;
  if (words.size() > 1 && words[1] == "--") words.erase(words.begin() + 1);
  std::vector<std::string> before;
  for (std::size_t i = 1; i + 1 < words.size(); ++i) {
    // swkvctl's own options (and their values) are not the command's words.
    if (words[i] == "--module" || words[i] == "--speed") {
      ++i;
      continue;
    }
    if (words[i].rfind("-", 0) == 0 && before.empty()) continue;
    if (words[i].rfind("--", 0) == 0 || words[i] == "-q") continue;
    before.push_back(words[i]);
  }
  const std::string word = words.size() > 1 ? words.back() : "";
  const std::string previous = words.size() > 2 ? words[words.size() - 2] : "";
  std::vector<std::string> candidates;
  if (previous == "--module" || previous == "--speed" || previous == "--seconds") {
    // A file, a factor or a number: nothing of ours to offer.
  } else if (word.rfind("-", 0) == 0) {
    candidates = kGlobalOptions;
    if (!before.empty())
      for (const std::string& option : CommandOptions(before[0])) candidates.push_back(option);
  } else if (before.empty()) {
    candidates = kCommands;
  } else if (before[0] != "register" && before[0] != "unregister" && before[0] != "help" &&
             before[0] != "shell") {
    // Node paths and entry names come from the live tree, as the shell's Tab has them.
    std::ostringstream quiet;
    Session session(options, quiet, quiet);
    std::istringstream none;
    Shell shell(session, none, quiet, quiet);
    try {
      session.Open();
      candidates = shell.Complete(before, word);
    } catch (const Failure&) {
    }
  }
  for (const std::string& candidate : candidates)
    if (candidate.rfind(word, 0) == 0) out << candidate << "\n";
  return kExitOk;
}

}  // namespace swkv::ctl
