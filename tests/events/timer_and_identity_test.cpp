// What the agent sessions (tests/agent/sessions/polling_pass.txt, event_log.txt) cannot show:
// when the poll timer is armed, the controller node's COM identity and its null out-pointers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/events/pass_fixture.h"

namespace swkv::test {
namespace {

constexpr std::uint32_t kNotArmed = 0xFFFFFFFFu;

using TimerAndIdentity = PassTest;

TEST_F(TimerAndIdentity, TheFirstArrayNodeArmsTheTimerOnceAndATreeWithoutArraysNever) {
  if (PollTimerId() != kNotArmed) GTEST_SKIP() << "an earlier test of this process armed the timer";
  Start(kNoArray);
  EXPECT_EQ(PollTimerId(), kNotArmed);
  EXPECT_THAT(ArrayNodeList(), ::testing::IsEmpty());

  Start(kOneArray);
  const std::uint32_t armed = PollTimerId();
  EXPECT_NE(armed, kNotArmed);
  EXPECT_NE(armed, 0u);

  Start(kTwoArrays);
  EXPECT_EQ(PollTimerId(), armed);
}

TEST_F(TimerAndIdentity, NullOutPointersAreRefusedAndTheSizeIsNeverWritten) {
  Start(kOneArray);
  ComPtr<IEventLog> log = Log("HBA1");
  Queue(0, 8, 0, "Array 1 is critical");
  Pass();
  EXPECT_EQ(log->GetNewCount(nullptr), E_POINTER);
  ULONG size = 77;
  EXPECT_EQ(log->ReadEventLog(nullptr, &size), E_POINTER);
  EXPECT_EQ(NewCount(log.get()), 1u);

  BSTR record = nullptr;
  ASSERT_EQ(log->ReadEventLog(&record, &size), S_OK);
  UniqueBstr owned(record);
  EXPECT_EQ(WithoutTime(Narrow(owned.get())), "522@T@3@Ary. Critical@Array 1 is critical");
  EXPECT_EQ(size, 77u);
}

TEST_F(TimerAndIdentity, TheControllerNodesIdentityIsItsEventLogAndItHasNoDispatch) {
  ComPtr<IRiver> river = Start(kOneArray, "HBA1");
  ASSERT_TRUE(river);
  ComPtr<IUnknown> identity = river.As<IUnknown>(IID_IUnknown);
  ComPtr<IEventLog> log = river.As<IEventLog>(IID_IEventLog);
  ASSERT_TRUE(identity);
  ASSERT_TRUE(log);
  EXPECT_EQ(identity.get(), static_cast<IUnknown*>(log.get()));
  EXPECT_NE(static_cast<void*>(identity.get()), static_cast<void*>(river.get()));

  // The link from the root hands out the identity too.
  UniqueBstr name = UniqueBstr::FromAnsi("HBA1");
  ComPtr<IUnknown> linked;
  ASSERT_EQ(root->cd(name.get(), linked.put()), S_OK);
  EXPECT_EQ(linked.get(), identity.get());

  // Every part answers the same table.
  EXPECT_EQ(log.As<IRiver>(IID_IRiver).get(), river.get());
  ComPtr<IConnectionPointContainer> points =
      log.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  EXPECT_TRUE(points);
  EXPECT_EQ(points.As<IUnknown>(IID_IUnknown).get(), identity.get());
  void* dispatch = reinterpret_cast<void*>(1);
  EXPECT_EQ(river->QueryInterface(IID_IDispatch, &dispatch), E_NOINTERFACE);
  EXPECT_EQ(dispatch, nullptr);
  EXPECT_EQ(log->QueryInterface(IID_IDispatch, &dispatch), E_NOINTERFACE);

  // One count for both parts.
  const ULONG afterLog = log->AddRef();
  EXPECT_EQ(river->AddRef(), afterLog + 1);
  EXPECT_EQ(log->Release(), afterLog);
  EXPECT_EQ(river->Release(), afterLog - 1);
}

}  // namespace
}  // namespace swkv::test
