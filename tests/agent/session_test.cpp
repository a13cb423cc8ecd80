// Agent sessions replayed: each file in sessions/ is a list of the agent's calls on a tree over
// the simulated controllers (the commands of agent_session.cpp), each followed by what it gave.
// Each session runs in one fresh tree. Sessions named "processes..." start other processes,
// which Windows does not fork; sessions named "posix_..." step the POSIX platform library's
// manual clock, and need a process of their own, as ctest gives each: the poll timer is armed
// once per process.
#include <gtest/gtest.h>

#include <string>

#include "events/poll_timer.h"
#include "tests/agent/agent_session.h"
#include "tests/support/files.h"
#include "tests/support/replay.h"

namespace swkv::test {
namespace {

std::string SessionsDir() { return std::string(SWKV_TESTS_DIR) + "/agent/sessions"; }

class AgentSessionTest : public ::testing::TestWithParam<std::string> {};

TEST_P(AgentSessionTest, ReplaysTheSession) {
#ifdef _WIN32
  if (GetParam().starts_with("processes")) GTEST_SKIP() << "no fork on Windows";
  if (GetParam().starts_with("posix_")) GTEST_SKIP() << "no manual clock on Windows";
#endif
  if (GetParam().starts_with("posix_") && PollTimerId() != 0xFFFFFFFFu)
    GTEST_SKIP() << "an earlier test of this process armed the poll timer";
  AgentSession session(::testing::TempDir() + "swkv_agent_trace_" + GetParam() + ".log");
  CheckSession(SessionsDir() + "/" + GetParam() + ".txt",
               [&](const std::string& command) { return session.Run(command); });
}

// Not a test of its own: the process a session's "spawn" starts, running the commands of
// SWKV_AGENT_COMMANDS (separated by " ; ") and writing what they gave to SWKV_AGENT_PROCESS.
TEST(AgentProcess, DISABLED_Run) {
  const auto output = GetEnv("SWKV_AGENT_PROCESS"), commands = GetEnv("SWKV_AGENT_COMMANDS"),
             folder = GetEnv("SWKV_AGENT_FOLDER");
  ASSERT_TRUE(output && commands && folder);
  std::string text;
  {
    AgentSession session(*output + ".trace", *folder);
    std::string rest = *commands;
    for (std::size_t end; !rest.empty(); rest = end == std::string::npos ? "" : rest.substr(end + 3)) {
      end = rest.find(" ; ");
      text += session.Run(rest.substr(0, end));
    }
  }
  WriteText(*output, text);
}

INSTANTIATE_TEST_SUITE_P(Sessions, AgentSessionTest, ::testing::ValuesIn(SessionNames(SessionsDir())),
                         [](const auto& test) { return test.param; });

}  // namespace
}  // namespace swkv::test
