// Every library call is an I/O to the controller card: each counted operation makes exactly the
// calls the design prescribes, function by function, not one more (bench/prescribed_calls.cpp
// holds the prescribed figures, which the benchmark suite reports as well).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "bench/prescribed_calls.h"
#include "sim/sim_control.h"
#include "tests/reliability/common/agent_session.h"
#include "tests/support/agent.h"
#include "tests/support/message_capture.h"
#include "tests/support/registry_sandbox.h"

namespace swkv::test {
namespace {

using bench::CallCounts;
using bench::Fn;
using bench::Op;

// The calls of the operation's second run: the first leaves the selection as it stays.
void ExpectPrescribed(Op op, const std::function<void()>& operation) {
  operation();
  simResetCallCounts();
  operation();
  CallCounts prescribed = bench::PrescribedCalls(op);
  for (int i = 0; i < bench::kFunctionCount; ++i) {
    const char* function = bench::FunctionName(static_cast<Fn>(i));
    EXPECT_EQ(simCallCount(function, -1), prescribed[static_cast<std::size_t>(i)])
        << bench::OperationName(op) << ": " << function;
  }
}

// Each operation after the others, in its steady state.
TEST(CallBudget, EachCountedOperationMakesThePrescribedCalls) {
  RegistrySandbox registry;
  MessageCapture messages;
  ResetComponentAndLibrary();
  AgentSession session;
  session.Build();
  ExpectPrescribed(Op::kBuildTree, [] {
    AgentSession another;
    another.Build();
    another.Release();
  });
  ExpectPrescribed(Op::kWalkTree, [&] { session.WalkAll(); });
  const std::pair<Op, const char*> refreshes[] = {
      {Op::kRefreshRoot, ""}, {Op::kRefreshController, "HBA1"}, {Op::kRefreshChannel, "HBA1/ch2"},
      {Op::kRefreshDisk, "HBA1/ch2/master"}, {Op::kRefreshArray, "HBA1/Data"},
      {Op::kRefreshEnclosure, "HBA1/enclosure1"}, {Op::kRefreshBay, "HBA1/enclosure1/quickbay1"},
      {Op::kRefreshBattery, "HBA1/battery"}};
  for (const auto& [op, path] : refreshes) {
    ComPtr<IRiver> node = session.At(path);
    ASSERT_TRUE(node) << path;
    ExpectPrescribed(op, [&] { node->refresh(); });
  }
  ComPtr<IRiver> array = session.At("HBA1/Data");
  ExpectPrescribed(Op::kGetStatus, [&] { Get(array.get(), "Status"); });
  ExpectPrescribed(Op::kPollingPass, [] { RunPollingPass(); });
}

}  // namespace
}  // namespace swkv::test
