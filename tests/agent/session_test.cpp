// Agent sessions replayed: each file in sessions/ is a list of the agent's calls on a tree over
// the simulated controllers ("> " and a command of agent_session.cpp), each followed by what it
// gave, with comment ("#") and blank lines between. The commands run again, in one fresh tree
// per session, and the file must come out the same, line for line. With
// SWKV_UPDATE_TRANSCRIPTS=1 a session that differs is written back: review the difference
// before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/agent/agent_session.h"
#include "tests/support/files.h"
#include "tests/support/text_difference.h"

namespace swkv::test {
namespace {

std::string SessionsDir() { return std::string(SWKV_TESTS_DIR) + "/agent/sessions"; }

std::vector<std::string> SessionNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(SessionsDir()))
    if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The session as it runs now: the commands, comments and blank lines of the file, each command
// followed by what it gives.
std::string Replay(const std::string& text, const std::string& name) {
  AgentSession session(::testing::TempDir() + "swkv_agent_trace_" + name + ".log");
  std::istringstream in(text);
  std::string out;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("> ")) {
      out += line + "\n" + session.Run(line.substr(2));
    } else if (line.empty() || line.starts_with("#")) {
      out += line + "\n";
    }
  }
  return out;
}

class AgentSessionTest : public ::testing::TestWithParam<std::string> {};

TEST_P(AgentSessionTest, ReplaysTheSession) {
  const std::string path = SessionsDir() + "/" + GetParam() + ".txt";
  const std::string expected = ReadText(path);
  ASSERT_NE(expected.find("\n> "), std::string::npos) << path << " holds no command";
  const std::string actual = Replay(expected, GetParam());
  if (actual == expected) return;
  if (GetEnv("SWKV_UPDATE_TRANSCRIPTS")) {
    WriteText(path, actual);
    ADD_FAILURE() << path << " written again from the session's output";
    return;
  }
  ADD_FAILURE() << path << " differs at " << FirstDifference(expected, actual)
                << "\n(SWKV_UPDATE_TRANSCRIPTS=1 writes the output into the file)";
}

INSTANTIATE_TEST_SUITE_P(Sessions, AgentSessionTest, ::testing::ValuesIn(SessionNames()),
                         [](const auto& test) { return test.param; });

}  // namespace
}  // namespace swkv::test
