// Component sessions replayed: each file in sessions/ is a list of calls a host, an installer, a
// script host or a client makes (the commands of dispatch_session.cpp), each followed by what it
// gave. Each session runs against a component of its own; those named posix_* use what only our
// POSIX type information has.
#include <gtest/gtest.h>

#include <string>

#include "tests/frame/dispatch_session.h"
#include "tests/support/replay.h"

namespace swkv::test {
namespace {

std::string SessionsDir() { return std::string(SWKV_TESTS_DIR) + "/frame/sessions"; }

class DispatchSessionTest : public ::testing::TestWithParam<std::string> {};

TEST_P(DispatchSessionTest, ReplaysTheSession) {
#ifdef _WIN32
  if (GetParam().starts_with("posix_")) GTEST_SKIP() << "only our POSIX type information has this";
#endif
  DispatchSession session;
  CheckSession(SessionsDir() + "/" + GetParam() + ".txt",
               [&](const std::string& command) { return session.Run(command); });
}

INSTANTIATE_TEST_SUITE_P(Sessions, DispatchSessionTest,
                         ::testing::ValuesIn(SessionNames(SessionsDir())),
                         [](const auto& test) { return test.param; });

}  // namespace
}  // namespace swkv::test
