// The polling pass over the simulated controllers: what one pass asks the library, how an update
// refreshes the tree, how events reach the controller nodes, and how often the sensors are
// polled. Each test calls the timer procedure itself, as the thread's message dispatch would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "com/module_lock.h"
#include "tests/events/pass_fixture.h"
#include "events/polled_nodes.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kNotArmed = 0xFFFFFFFFu;

class PollingPass : public PassTest {
 protected:
  // The passes (counted from 1) in which the sensors of each controller were polled, found by
  // the calls that only the polls make between updates.
  struct Polls {
    std::map<int, std::vector<int>> enclosure;  // controller -> passes
    std::map<int, std::vector<int>> battery;
    std::map<int, std::int64_t> enclosureCalls;  // controller -> raGetEnclosureStatus calls
  };
  Polls RunPasses(int passes) {
    Polls polls;
    for (int pass = 1; pass <= passes; ++pass) {
      simResetCallCounts();
      Pass();
      for (int controller = 0; controller < 2; ++controller) {
        const std::int64_t enclosure = Calls("raGetEnclosureStatus", controller);
        if (enclosure > 0) polls.enclosure[controller].push_back(pass);
        polls.enclosureCalls[controller] += enclosure;
        if (Calls("raCheckBatteryBackModule", controller) > 0)
          polls.battery[controller].push_back(pass);
      }
    }
    return polls;
  }

  // A sink on the node that adds the name to the shared order of notifications.
  using TreeTest::Watch;
  ComPtr<RecordingSink> Watch(std::string_view path, std::vector<std::string>& order) {
    ComPtr<RecordingSink> sink = Watch(path);
    std::string name(path.substr(path.rfind('/') + 1));
    sink->onNotify = [&order, name](ULONG code) {
      order.push_back(code == kNotifyChanged ? name : name + "?" + std::to_string(code));
    };
    return sink;
  }

  static std::string HandleOf(IRiver* node) { return Get(node, "handle"); }
};

TEST_F(PollingPass, TheFirstArrayNodeArmsTheTimerOnceAndATreeWithoutArraysNever) {
  if (PollTimerId() != kNotArmed) GTEST_SKIP() << "an earlier test of this process armed the timer";
  Start(kNoArray);
  EXPECT_EQ(PollTimerId(), kNotArmed);
  EXPECT_THAT(ArrayNodeList(), IsEmpty());

  Start(kOneArray);
  const std::uint32_t armed = PollTimerId();
  EXPECT_NE(armed, kNotArmed);
  EXPECT_NE(armed, 0u);

  Start(kTwoArrays);
  EXPECT_EQ(PollTimerId(), armed);
}

TEST_F(PollingPass, WithNoNodeLeftAPassOnlyReadsTheFirstControllerAndSelectsAgain) {
  Start(kTwoControllers);
  ASSERT_NE(PollTimerId(), kNotArmed);
  ASSERT_EQ(CurrentController(), 1);
  const long locks = ModuleLockCount();
  root.reset();
  ASSERT_THAT(ArrayNodeList(), IsEmpty());
  ASSERT_THAT(ControllerNodeList(), IsEmpty());
  EXPECT_LT(ModuleLockCount(), locks);

  Queue(0, 8, 0, "on the first");
  Queue(1, 9, 0, "on the second");
  RaiseUpdate(0);
  simResetCallCounts();
  Pass();
  // Controller 0 is opened, asked for events and the update flag; then the current controller
  // (the second) is opened again. Nothing else.
  EXPECT_EQ(Calls("raInitialize", 0), 1);
  EXPECT_EQ(Calls("raInitialize", 1), 1);
  EXPECT_EQ(Calls("raGetEvents", 0), 1);
  EXPECT_EQ(Calls("raNeedUpdate", 0), 1);
  EXPECT_EQ(Calls("raGetEvents", 1), 0);
  EXPECT_EQ(Calls("raNeedUpdate", 1), 0);
  for (const char* other : {"raTerminate", "raGetEnclosureStatus", "raCheckBatteryBackModule",
                            "raGetMaxChannelsPerAdapter", "raEnumerateAllArrays", "raGetArrayInfo"})
    EXPECT_EQ(Calls(other), 0) << other;
  EXPECT_EQ(simOpenController(), 1);
}

TEST_F(PollingPass, AfterTheLastArrayIsDeletedEventsAreFetchedButNotDecoded) {
  ComPtr<IRiver> controller = Start(kOneArray, "HBA1");
  ASSERT_EQ(Invoke(controller.get(), "DeleteArray", HandleOf(At("HBA1/Alpha").get())), S_OK);
  ASSERT_THAT(ArrayNodeList(), IsEmpty());
  std::vector<std::string> order;
  ComPtr<RecordingSink> sink = Watch("HBA1", order);

  Queue(0, 28, 2, "Array deleted");
  simResetCallCounts();
  Pass();
  EXPECT_EQ(Calls("raGetEvents", 0), 1);
  EXPECT_EQ(Calls("raNeedUpdate", 0), 1);
  EXPECT_EQ(Calls("raGetEnclosureStatus"), 0);
  EXPECT_EQ(Calls("raGetMaxChannelsPerAdapter"), 0);  // the controller node is not refreshed
  EXPECT_THAT(order, IsEmpty());
  EXPECT_EQ(NewCount(Log("HBA1").get()), 0u);
}

TEST_F(PollingPass, WithNoControllerCountedAPassOnlySelectsTheCurrentControllerAgain) {
  Start(kOneArray);
  // A second root built while no controller opens counts none; the first tree stays.
  ASSERT_EQ(simFailCall("raInitialize", -1, 0, 9), 0);
  ComPtr<RootNode> empty(RootNode::New());
  ASSERT_EQ(ControllerCount(), 0);
  simClearFaults();
  ASSERT_FALSE(ArrayNodeList().empty());

  Queue(0, 8, 0, "not fetched");
  simResetCallCounts();
  Pass();
  EXPECT_EQ(Calls("raInitialize", 0), 1);
  EXPECT_EQ(Calls("raInitialize"), 1);
  EXPECT_EQ(Calls("raGetEvents"), 0);
  EXPECT_EQ(Calls("raNeedUpdate"), 0);
  EXPECT_EQ(PollTickCount(), 0);
  EXPECT_EQ(simOpenController(), 0);
}

TEST_F(PollingPass, AnUpdateRefreshesEveryArrayThenEveryControllerInListOrder) {
  Start(kTwoControllers);
  std::vector<std::string> order;
  auto alpha = Watch("HBA1/Alpha", order);
  auto beta = Watch("HBA2/Beta", order);
  auto first = Watch("HBA1", order);
  auto second = Watch("HBA2", order);

  Pass();
  ASSERT_THAT(order, IsEmpty());
  ASSERT_EQ(PollTickCount(), 4);  // two arrays, walked once per controller

  RaiseUpdate(0);
  RaiseUpdate(1);
  Pass();
  // For each controller's flag: every array's full refresh, then every controller's refresh
  // (which refreshes its arrays again) and its notification.
  EXPECT_THAT(order, ElementsAre("Alpha", "Beta", "Alpha", "HBA1", "Beta", "HBA2",  //
                                 "Alpha", "Beta", "Alpha", "HBA1", "Beta", "HBA2"));
  EXPECT_EQ(PollTickCount(), 4);

  // A flag on one controller only: the other controller's part of the pass counts its arrays.
  order.clear();
  RaiseUpdate(1);
  Pass();
  EXPECT_THAT(order, ElementsAre("Alpha", "Beta", "Alpha", "HBA1", "Beta", "HBA2"));
  EXPECT_EQ(PollTickCount(), 6);
}

TEST_F(PollingPass, AnUpdateRefreshesEachArrayFromItsOwnController) {
  Start(kTwoControllers);
  // What each array shows whenever it tells its sinks it changed.
  std::vector<std::string> seen;
  std::vector<ComPtr<RecordingSink>> sinks;
  for (std::string_view path : {"HBA1/Alpha", "HBA2/Beta"}) {
    ComPtr<RecordingSink> sink = Watch(path);
    sink->onNotify = [&seen, node = At(path).get(), path](ULONG) {
      seen.push_back(std::string(path) + "=" + Get(node, "name"));
    };
    sinks.push_back(sink);
  }
  // The first controller becomes current; the pass then opens the second behind its back and
  // finds the update there.
  ASSERT_EQ(At("HBA1")->refresh(), S_OK);
  ASSERT_EQ(CurrentController(), 0);
  seen.clear();
  RaiseUpdate(1);
  Pass();
  EXPECT_THAT(seen, ElementsAre("HBA1/Alpha=Alpha", "HBA2/Beta=Beta", "HBA1/Alpha=Alpha",
                                "HBA2/Beta=Beta"));
  EXPECT_TRUE(At("HBA1/Alpha/disk1"));
  // The pass ends with the current controller open.
  EXPECT_EQ(simOpenController(), CurrentController());
}

TEST_F(PollingPass, SensorsArePolledWhenTheArrayCountPassesEveryTenth) {
  // Each array counts once per controller a pass. Two controllers with one array each: the
  // count passes 10 in the first controller's part of pass 3, 20 in the second's of pass 5, 30
  // in the first's of pass 8, 40 in pass 10. Every poll reads each of the four channels.
  const struct {
    std::string_view scenario;
    int passes, controllers;
    std::vector<int> polled;
    int count;
  } cases[] = {{kOneArray, 20, 1, {10, 20}, 20},
               {kTwoArrays, 20, 1, {5, 10, 15, 20}, 40},
               {kTwoControllers, 10, 2, {3, 5, 8, 10}, 40}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    root.reset();
    PollTickCount() = 0;
    Start(c.scenario);
    Polls polls = RunPasses(c.passes);
    for (int controller = 0; controller < c.controllers; ++controller) {
      EXPECT_EQ(polls.enclosure[controller], c.polled) << controller;
      EXPECT_EQ(polls.battery[controller], c.polled) << controller;
      EXPECT_EQ(polls.enclosureCalls[controller], static_cast<std::int64_t>(c.polled.size()) * 4);
    }
    EXPECT_EQ(PollTickCount(), c.count);
  }
}

TEST_F(PollingPass, AnUpdateLeavesTheCountSoPollsOnAMultipleOfTenRunAgain) {
  ComPtr<IRiver> controller = Start(kOneArray, "HBA1");
  RunPasses(10);
  ASSERT_EQ(PollTickCount(), 10);
  EXPECT_EQ(Get(controller.get(), "FanRPM"), "4000");

  // The controller node's fan reading changes only through the enclosure poll.
  ASSERT_EQ(simApply(R"({"bay": 0, "fan": 4444})"), 0);
  RaiseUpdate(0);
  Pass();
  EXPECT_EQ(PollTickCount(), 10);
  EXPECT_EQ(Get(controller.get(), "FanRPM"), "4444");

  ASSERT_EQ(simApply(R"({"bay": 0, "fan": 4555})"), 0);
  Pass();
  EXPECT_EQ(PollTickCount(), 11);
  EXPECT_EQ(Get(controller.get(), "FanRPM"), "4444");
}

TEST_F(PollingPass, EveryControllerNodeGetsEachControllersBatchTheSecondLast) {
  Start(kTwoControllers);
  ComPtr<IEventLog> first = Log("HBA1");
  ComPtr<IEventLog> second = Log("HBA2");
  Queue(0, 8, 0, "first controller");
  Queue(1, 9, 0, "second controller");
  Queue(1, 24, 0, "second controller fan");
  Pass();
  for (IEventLog* log : {first.get(), second.get()}) {
    EXPECT_EQ(NewCount(log), 2u);
    EXPECT_EQ(Next(log), "521@T@3@Ary. Down@second controller");
    EXPECT_EQ(Next(log), "527@T@3@FAN STOPPED@second controller fan");
  }

  Queue(0, 1, 0, "first only");
  Pass();
  for (IEventLog* log : {first.get(), second.get()}) {
    EXPECT_EQ(NewCount(log), 1u);
    EXPECT_EQ(Next(log), "256@T@3@Drv. Fail@first only");
  }
  // The decode notifies nobody; the pass ends on the current controller.
  EXPECT_EQ(simOpenController(), CurrentController());
}

}  // namespace
}  // namespace swkv::test
