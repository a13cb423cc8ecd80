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

SWKV_SESSION_TESTS(DispatchSessionTest, DispatchSession,
                   std::string(SWKV_TESTS_DIR) + "/frame/sessions");

}  // namespace
}  // namespace swkv::test
