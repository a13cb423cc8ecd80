#include "tools/swkvctl/shell.h"

#include <filesystem>

#include "tools/swkvctl/display_text.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/host_system.h"
#include "tools/swkvctl/line_reader.h"
#include "tools/swkvctl/message_loop.h"
#include "tools/swkvctl/river_calls.h"

namespace swkv::ctl {

namespace {

const char kShellHelp[] =
    "Commands (PATH is taken from the current node; /PATH from the root; .. goes up; in a name\n"
    "\\/ stands for '/'):\n"
    "  cd [PATH]                        make PATH the current node (the root without PATH)\n"
    "  pwd                              show the current node\n"
    "  ls [PATH] [--json]               the node's entries\n"
    "  tree [PATH] [--brief|--json]     the node and everything below it\n"
    "  get [PATH] NAME... [--json]      read entries\n"
    "  set [PATH] NAME VALUE [--text-only] [--json]\n"
    "                                   write a property (--text-only: one that is only the\n"
    "                                   node's text, such as an array's name)\n"
    "  invoke [PATH] ACTION [ARG] [--raw] [--json]\n"
    "                                   run an action; ARG is checked and node paths in it\n"
    "                                   become handle numbers (--raw: neither)\n"
    "  refresh [PATH] [--json]          have the node read its device again\n"
    "  events CONTROLLER [--clear] [--json]\n"
    "                                   the controller's new events\n"
    "  watch [--seconds N] [--json]     notifications, events and activity (Ctrl-C stops)\n"
    "  complete [WORD...]               what Tab offers after these words (the last one\n"
    "                                   typed so far)\n"
    "  help; exit or quit (or Ctrl-D)\n"
    "-q after a command prints its results only. Tab completes commands, node paths and entry\n"
    "names.\n";

}  // namespace

bool SplitLine(const std::string& line, std::vector<std::string>& words, std::string& why) {
  words.clear();
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote) {
      if (c == quote) {
        quote = 0;
      } else if (c == '\\' && quote == '"' && i + 1 < line.size()) {
        word += line[++i];
      } else {
        word += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else if (c == '#' && !inWord) {
      break;
    } else if (c == '\'' || c == '"') {
      quote = c;
      inWord = true;
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
      inWord = true;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quote) {
    why = std::string("unterminated ") + (quote == '"' ? "\"" : "'") + " quote";
    return false;
  }
  if (inWord) words.push_back(word);
  return true;
}

std::string Shell::Prompt() const { return "swkvctl:" + ShowPath(m_session.current()) + "> "; }

void Shell::Help() { m_out << kShellHelp; }

std::vector<std::string> Shell::Complete(const std::vector<std::string>& before,
                                         const std::string& word) {
  // Only what the word typed so far begins, as Tab offers it.
  std::vector<std::string> candidates = Candidates(before, word);
  std::erase_if(candidates,
                [&](const std::string& candidate) { return candidate.rfind(word, 0) != 0; });
  return candidates;
}

std::vector<std::string> Shell::Candidates(const std::vector<std::string>& before,
                                           const std::string& word) {
  std::vector<std::string> candidates;
  if (before.empty()) {
    for (const std::string& command : Session::ShellCommands()) candidates.push_back(command);
    return candidates;
  }
  IRiver* root = m_session.root();
  if (!root) return candidates;
  const std::string& command = before[0];
  // Node paths: the children of the node named by what the word has up to its last '/'.
  const std::size_t slash = word.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : word.substr(0, slash + 1);
  try {
    NodeAt at = ResolveNode(root, m_session.current(), folder);
    std::vector<Entry> entries;
    ListEntries(at.river.get(), entries);
    for (const Entry& entry : entries)
      if (entry.IsLink()) candidates.push_back(folder + PathStep(entry.name) + "/");
  } catch (const Failure&) {
  }
  if (command != "get" && command != "set" && command != "invoke") return candidates;
  // Entry names: of the current node for the first word, of the node named first for the next.
  if (before.size() > 2 || !folder.empty()) return candidates;
  try {
    NodeAt at = ResolveNode(root, m_session.current(), before.size() == 2 ? before[1] : "");
    std::vector<Entry> entries;
    ListEntries(at.river.get(), entries);
    for (const Entry& entry : entries) {
      if (entry.IsLink()) continue;
      if (command == "invoke" ? entry.IsAction()
                              : command == "set" ? entry.IsWritable() : !entry.IsAction())
        candidates.push_back(entry.name);
    }
  } catch (const Failure&) {
  }
  return candidates;
}

int Shell::Run(bool echo) {
  // The component is loaded before the first line, so that a failure shows at once.
  try {
    m_session.Open();
  } catch (const Failure& failure) {
    m_err << "swkvctl: " << failure.what() << "\n";
    return failure.code();
  }
  // Ctrl-C stops a watch and leaves the shell running.
  InterruptScope interrupts;
  const bool terminal = StandardInputIsTerminal();
  std::unique_ptr<LineReader> reader;
  if (terminal) {
    std::string history = StateDirectory();
    if (!history.empty()) {
      std::error_code ignored;
      std::filesystem::create_directories(history, ignored);
      history += "/swkvctl-history";
    }
    reader = MakeEditingReader(
        history, [this](const std::vector<std::string>& before, const std::string& word) {
          return Complete(before, word);
        });
    m_out << "swkvctl shell: 'help' lists the commands, 'exit' or Ctrl-D leaves\n";
  }
  if (!reader) reader = MakePlainReader(m_in, m_out, terminal);
  int lastFailure = kExitOk;
  std::string line;
  while (reader->ReadLine(Prompt(), line)) {
    if (echo) m_out << Prompt() << line << "\n";
    std::vector<std::string> words;
    std::string why;
    if (!SplitLine(line, words, why)) {
      m_err << "swkvctl: " << why << "\n";
      lastFailure = kExitUsage;
      continue;
    }
    if (words.empty()) continue;
    if (words[0] == "exit" || words[0] == "quit") break;
    if (words[0] == "help") {
      Help();
      continue;
    }
    if (words[0] == "complete") {
      // The candidates for the last word, as a script or another shell's completion asks.
      std::vector<std::string> before(words.begin() + 1, words.end());
      std::string word;
      if (!before.empty()) {
        word = before.back();
        before.pop_back();
      }
      for (const std::string& candidate : Complete(before, word)) m_out << candidate << "\n";
      continue;
    }
    if (!Session::IsShellCommand(words[0])) {
      m_err << "swkvctl: unknown shell command " << words[0] << " ('help' lists them)\n";
      lastFailure = kExitUsage;
      continue;
    }
    // The component's timer runs between commands too, so that what the commands show is as
    // current as the agent would see it.
    m_session.loop().DispatchWaiting();
    const int code = m_session.Run(words);
    if (code != kExitOk) lastFailure = code;
  }
  // Ctrl-D leaves the terminal's cursor after the prompt.
  if (terminal) m_out << "\n";
  return lastFailure;
}

}  // namespace swkv::ctl
