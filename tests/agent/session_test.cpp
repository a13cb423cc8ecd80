// Agent sessions replayed: each file in sessions/ is a list of the agent's calls on a tree over
// the simulated controllers (the commands of agent_session.cpp), each followed by what it gave.
// Each session runs in one fresh tree.
#include <gtest/gtest.h>

#include <string>

#include "tests/agent/agent_session.h"
#include "tests/support/replay.h"

namespace swkv::test {
namespace {

std::string SessionsDir() { return std::string(SWKV_TESTS_DIR) + "/agent/sessions"; }

class AgentSessionTest : public ::testing::TestWithParam<std::string> {};

TEST_P(AgentSessionTest, ReplaysTheSession) {
  AgentSession session(::testing::TempDir() + "swkv_agent_trace_" + GetParam() + ".log");
  CheckSession(SessionsDir() + "/" + GetParam() + ".txt",
               [&](const std::string& command) { return session.Run(command); });
}

INSTANTIATE_TEST_SUITE_P(Sessions, AgentSessionTest, ::testing::ValuesIn(SessionNames(SessionsDir())),
                         [](const auto& test) { return test.param; });

}  // namespace
}  // namespace swkv::test
