// Operator sessions replayed: each file in transcripts/ is a `swkvctl shell --echo` session as
// a terminal shows it, the prompt lines with the commands typed and, after each, what swkvctl
// printed (results and messages together). The commands are typed again into swkvctl, with time
// run at full speed from a stopped clock that starts at 2026-12-06 11:44:00 UTC, and its output
// must be the file's, line for line.
//
// Lines before the first prompt describe the session ("# ..."), or set it up:
//   scenario: tree/scenarios/bays.json   the simulated controllers' scenario (below tests/;
//                                        else the embedded default's file)
//   exit: 5                              the exit code the session ends with (else 0)
// A session of "$ COMMAND" lines instead is a console: each command runs through /bin/sh in the
// sandbox's folder, one after the other, with swkvctl and swkvreg on the PATH, the build's
// folder in $BUILD and the tests' in $TESTS; the output follows
// each, then "[exit N]" when it was not 0, with the sandbox's folder written $BOX, its registry
// $REGISTRY and the build's $BUILD. Comment lines ("#"), a blank line before each, may stand
// between the commands.
// With SWKV_UPDATE_TRANSCRIPTS=1 a session that differs is written back with swkvctl's output:
// review the difference before committing it.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/replay.h"

extern char** environ;

namespace swkv::test {
namespace {

namespace fs = std::filesystem;

// 2026-12-06 11:44:00 UTC: the event records' times do not depend on the day the tests run.
constexpr const char* kStartMs = "1796557440000";

struct CtlResult {
  int exitCode = -1;  // -1 when the shell did not exit normally
  std::string out;    // standard output and standard error together, as a terminal shows them
};

// A folder where swkvctl and other programs run through /bin/sh, the way an operator or a script
// runs them: a private registry, a private state folder, the simulated controller library with a
// state file and a stopped clock, and none of the caller's swkv variables (this process's
// environment is the sandbox's while it exists).
class CtlSandbox {
 public:
  CtlSandbox() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/swkvctl-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) ADD_FAILURE() << "cannot make a folder from " << pattern;
    folder = pattern;
    fs::create_directories(Path("registry"));
    std::vector<std::string> callers;
    for (char** entry = environ; *entry; ++entry) {
      const std::string variable = *entry, name = variable.substr(0, variable.find('='));
      if (name.starts_with("SWKV_") || name == "LD_LIBRARY_PATH") callers.push_back(name);
    }
    for (const std::string& name : callers) m_env.Set(name.c_str(), nullptr);
    const std::string ctlFolder = fs::canonical(SWKV_CTL).parent_path().string();
    build = fs::path(ctlFolder).parent_path().string();
    const std::pair<const char*, std::string> variables[] = {
        {"SWKV_REGISTRY_ROOT", Path("registry")}, {"HOME", Path("home")},
        {"XDG_STATE_HOME", Path("state")},        {"SWKV_SIM_STATE", Path("sim-state.json")},
        {"SWKV_SIM_CLOCK", "manual"},             {"SWKV_SIM_SCENARIO", Path("scenario.json")},
        {"BOX", folder},                          {"BUILD", build},
        {"TESTS", SWKV_TESTS_DIR},                {"PATH", ctlFolder + ":/usr/bin:/bin"}};
    for (const auto& [name, value] : variables) m_env.Set(name, value.c_str());
  }
  ~CtlSandbox() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  CtlSandbox(const CtlSandbox&) = delete;
  CtlSandbox& operator=(const CtlSandbox&) = delete;

  // The shell command line run in the folder, with input on its standard input.
  CtlResult Run(const std::string& line, const std::string& input = "") const {
    WriteText(Path("command.sh"), line + "\n");
    WriteText(Path("stdin.txt"), input);
    const int status = std::system(
        ("cd '" + folder + "' && /bin/sh command.sh < stdin.txt > stdout.txt 2>&1").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(Path("stdout.txt"))};
  }
  std::string Path(const std::string& name) const { return folder + "/" + name; }

  std::string folder, build;

 private:
  ScopedEnv m_env;
};

// A console's "$ COMMAND" or a shell's prompt "swkvctl:PATH> COMMAND" (a message starts
// "swkvctl: " instead).
bool IsPrompt(const std::string& line) {
  static const std::regex prompt(R"(^(\$ |swkvctl:[^ ]*> ))");
  return std::regex_search(line, prompt);
}

struct Transcript {
  std::string header;    // the lines before the first prompt, each with its line end
  std::string session;   // the prompts and the output after them
  std::string commands;  // what the operator typed, one command per line
  bool console = false;  // "$ " commands, each run on its own
  std::string scenario;  // below tests/, or empty for the embedded default
};

std::string Setting(const std::string& line, const std::string& name) {
  const std::string key = name + ": ";
  return line.rfind(key, 0) == 0 ? line.substr(key.size()) : std::string();
}

// The scenario with the simulated controllers' clock stopped at the fixed start.
std::string FixedStartScenario(const std::string& scenario) {
  std::string text = ReadText(scenario);
  const std::size_t end = text.rfind('}');
  if (end == std::string::npos) return text;
  return text.substr(0, end) + R"(, "state": {"startMs": )" + kStartMs +
         R"(, "manualClockMs": )" + kStartMs + "}}\n";
}

Transcript Parse(const std::string& text) {
  Transcript t;
  std::istringstream in(text);
  bool inSession = false;
  for (std::string line; std::getline(in, line);) {
    inSession = inSession || IsPrompt(line);
    (inSession ? t.session : t.header) += line + "\n";
    if (inSession) {
      t.console = t.console || line.starts_with("$ ");
      if (IsPrompt(line))
        t.commands += line.substr(line.starts_with("$ ") ? 2 : line.find("> ") + 2) + "\n";
      continue;
    }
    if (std::string value = Setting(line, "scenario"); !value.empty()) t.scenario = value;
  }
  return t;
}

// The header with its "exit:" line saying this code (none for 0).
std::string WithExitCode(const std::string& header, int exitCode) {
  std::istringstream in(header);
  std::string out;
  for (std::string line; std::getline(in, line);)
    if (Setting(line, "exit").empty()) out += line + "\n";
  return out + (exitCode != 0 ? "exit: " + std::to_string(exitCode) + "\n" : "");
}

// The console session as it runs now: its commands, comments and blank lines, each command with
// what it printed.
std::string RunConsole(const CtlSandbox& box, const std::string& session) {
  std::vector<std::string> lines;
  std::istringstream in(session);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    // A blank line before a comment separates; any other is part of a command's output.
    const bool separator =
        line.empty() && i + 1 < lines.size() && lines[i + 1].starts_with("#");
    if (separator || line.starts_with("#")) {
      out += line + "\n";
    } else if (line.starts_with("$ ")) {
      const CtlResult run = box.Run(line.substr(2));
      const std::string printed = Replaced(run.out, box.Path("registry"), "$REGISTRY");
      out += line + "\n" + Replaced(Replaced(printed, box.folder, "$BOX"), box.build, "$BUILD");
      if (!out.ends_with("\n")) out += "\n";
      if (run.exitCode != 0) out += "[exit " + std::to_string(run.exitCode) + "]\n";
    }
  }
  return out;
}

constexpr const char* kTranscripts = SWKV_TESTS_DIR "/swkvctl/transcripts";

class TranscriptTest : public ::testing::TestWithParam<std::string> {};

TEST_P(TranscriptTest, ReplaysTheSession) {
  const std::string path = std::string(kTranscripts) + "/" + GetParam() + ".txt";
  const Transcript transcript = Parse(ReadText(path));
  ASSERT_FALSE(transcript.commands.empty()) << path << " holds no prompt line";

  const std::string scenario = std::string(SWKV_TESTS_DIR) + (transcript.scenario.empty()
                                                                  ? "/../sim/default_scenario.json"
                                                                  : "/" + transcript.scenario);
  const std::string shell = "swkvctl register > /dev/null && exec swkvctl --speed max shell --echo";
  // The sandbox clears the caller's SWKV_ variables, SWKV_UPDATE_TRANSCRIPTS among them, for
  // as long as it lives: the comparison comes after it.
  std::string actual;
  {
    const CtlSandbox box;
    WriteText(box.Path("scenario.json"), FixedStartScenario(scenario));
    const CtlResult run = transcript.console ? CtlResult{0, RunConsole(box, transcript.session)}
                                             : box.Run(shell, transcript.commands);
    actual = WithExitCode(transcript.header, run.exitCode) + run.out;
  }
  CheckReplayed(path, actual);
}

INSTANTIATE_TEST_SUITE_P(Sessions, TranscriptTest, ::testing::ValuesIn(SessionNames(kTranscripts)),
                         [](const auto& test) { return test.param; });

}  // namespace
}  // namespace swkv::test

#endif
