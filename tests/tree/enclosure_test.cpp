// The enclosure node and its drive bays, and the enclosure poll that copies the bays' readings
// into the controller node.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "events/poll_timer.h"
#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kNoBays = R"({"controllers": [{}, {}]})";
constexpr const char* kOneBay = R"({"controllers": [{"bays": [
  {"channel": 1, "type": "hyperbay", "fan": 4200, "temperature": 36, "power5V": 0,
   "power12V": 1}]}]})";

// "two_bays": sensors on channels 0 and 2, the second without a fan reading;
// "bay_on_each_controller": a quickbay on channel 0 of each.
class EnclosureTest : public ControllerTest {};

TEST_F(EnclosureTest, TheSecondControllersBaysAreDevicesEightOn) {
  auto bay = Start(Scenario("bay_on_each_controller"), "HBA2/enclosure1/quickbay5");
  ASSERT_TRUE(bay);
  // The bay is asked for by its device number on the second controller.
  EXPECT_EQ(bay->refresh(), S_OK);
  EXPECT_EQ(Calls("raGetEnclosureStatus", 1), 1);
  EXPECT_EQ(Calls("raGetEnclosureStatus", 0), 0);

  // The second controller's poll reads its own bays.
  ASSERT_EQ(simApply(R"({"controller": 1, "bay": 0, "fan": 3950})"), 0);
  EXPECT_EQ(Controller("HBA2")->EnclosurePoll(), 1);
  EXPECT_EQ(Get(At("HBA2").get(), "FanRPM"), "3950");
  EXPECT_EQ(Get(At("HBA2").get(), "Temperature"), "35");
  EXPECT_EQ(Controller("HBA1")->EnclosurePoll(), 1);
  EXPECT_EQ(Get(At("HBA1").get(), "FanRPM"), "4200");
}

TEST_F(EnclosureTest, ABayThatChangesTypeLosesItsReadingsThenItsNode) {
  auto enclosure = Start(Scenario("two_bays"), "HBA1/enclosure1");
  auto bay = At("HBA1/enclosure1/quickbay1");
  ASSERT_EQ(simApply(R"({"bay": 0, "type": "unknown"})"), 0);
  EXPECT_EQ(bay->refresh(), S_OK);
  for (const char* reading : {"Temperature", "FanRPM", "Power5VStatus", "Power12VStatus"})
    EXPECT_EQ(Get(bay.get(), reading), "-2") << reading;
  EXPECT_EQ(Get(bay.get(), "EnclosureType"), "5");
  EXPECT_EQ(Entry(enclosure.get(), "quickbay1"), "quickbay1@o--@17");

  // A status call that reports type 0 takes no readings either.
  auto third = At("HBA1/enclosure1/quickbay3");
  ASSERT_EQ(simMisbehave("raGetEnclosureStatus", -1, 1, SIM_MISBEHAVE_OUTPUT, 0, 0), 0);
  EXPECT_EQ(third->refresh(), S_OK);
  EXPECT_EQ(Get(third.get(), "Temperature"), "-2");
  EXPECT_EQ(Get(third.get(), "EnclosureType"), "0");

  // The next content build drops the bay that no longer has sensors.
  EXPECT_EQ(enclosure->refresh(), S_OK);
  EXPECT_THAT(Links(enclosure.get()), ElementsAre("quickbay3@o--@17"));
  EXPECT_EQ(Get(enclosure.get(), "NumEnclosures"), "2");
  EXPECT_EQ(Get(third.get(), "Temperature"), "37");
}

TEST_F(EnclosureTest, RefreshFollowsBaysThatGoAndCome) {
  auto enclosure = Start(Scenario("two_bays"), "HBA1/enclosure1");
  ComPtr<RecordingSink> kept = Watch("HBA1/enclosure1/quickbay1");
  ASSERT_EQ(simApply(R"({"bay": 2, "type": "none"})"), 0);
  ASSERT_EQ(simApply(R"({"bay": 1, "type": "omnibay", "fan": 3000})"), 0);
  EXPECT_EQ(enclosure->refresh(), S_OK);
  EXPECT_THAT(Links(enclosure.get()), ElementsAre("quickbay1@o--@17", "omnibay2@o--@17"));
  EXPECT_EQ(Get(enclosure.get(), "NumEnclosures"), "3");
  EXPECT_EQ(Get(At("HBA1/enclosure1/omnibay2").get(), "FanRPM"), "3000");
  EXPECT_THAT(kept->codes, ElementsAre(kNotifyChanged));

  ASSERT_EQ(simApply(R"({"bay": 1, "type": "none"})"), 0);
  EXPECT_EQ(enclosure->refresh(), S_OK);
  EXPECT_THAT(Links(enclosure.get()), ElementsAre("quickbay1@o--@17"));
  EXPECT_EQ(Get(enclosure.get(), "NumEnclosures"), "2");
}

TEST_F(EnclosureTest, ThePollCountIsSharedByBothControllersButNotByTheBatteryPoll) {
  Start(kNoBays);
  EXPECT_EQ(Controller("HBA1")->EnclosurePoll(), 1);
  EXPECT_EQ(Controller("HBA2")->EnclosurePoll(), 0);
  EXPECT_EQ(EnclosurePollCount(), 2);
  EXPECT_EQ(Controller("HBA2")->BatteryPoll(), 1);
}

TEST_F(EnclosureTest, AChangedReadingIsShownAndNotifiedAtOnce) {
  Start(kOneBay);
  ControllerNode* node = Controller("HBA1");
  auto hba1 = At("HBA1");
  ComPtr<RecordingSink> sink = Watch("HBA1");
  EXPECT_EQ(Entry(hba1.get(), "FanRPM"), "");
  EXPECT_EQ(node->EnclosurePoll(), 1);
  // A reading appears once it differs from 0: the failed 5 V supply never did.
  auto entries = Dir(hba1.get());
  EXPECT_THAT(std::vector<std::string>(entries.end() - 3, entries.end()),
              ElementsAre("FanRPM@prv@4200", "Temperature@prv@36", "Power12VStatus@prv@1"));
  EXPECT_EQ(Entry(hba1.get(), "Power5VStatus"), "");
  EXPECT_EQ(node->EnclosurePoll(), 0);

  ASSERT_EQ(simApply(R"({"bay": 1, "power12V": 0})"), 0);
  EXPECT_EQ(node->EnclosurePoll(), 1);
  EXPECT_EQ(Get(hba1.get(), "Power12VStatus"), "0");
  EXPECT_EQ(Get(hba1.get(), "FanRPM"), "4200");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged, kNotifyChanged));
  EXPECT_EQ(node->EnclosurePoll(), 0);
}

TEST_F(EnclosureTest, ReadingsCarryOverFromBayToBay) {
  Start(Scenario("two_bays"));
  ControllerNode* node = Controller("HBA1");
  auto hba1 = At("HBA1");
  EXPECT_EQ(node->EnclosurePoll(), 1);
  // The second bay has no fan reading: the first bay's stays.
  EXPECT_EQ(Get(hba1.get(), "FanRPM"), "4200");
  EXPECT_EQ(Get(hba1.get(), "Temperature"), "37");
  // The temperatures differ, so every poll changes it twice and notifies.
  EXPECT_EQ(node->EnclosurePoll(), 1);
  EXPECT_EQ(node->EnclosurePoll(), 1);
  EXPECT_EQ(Get(hba1.get(), "Temperature"), "37");
}

TEST_F(EnclosureTest, APollThatCannotSelectItsControllerDoesNothing) {
  Start(Scenario("bay_on_each_controller"));
  ComPtr<RecordingSink> sink = Watch("HBA1");
  ASSERT_TRUE(SelectController(1));
  ASSERT_EQ(simFailCall("raInitialize", 0, 1, 9), 0);
  EXPECT_EQ(Controller("HBA1")->EnclosurePoll(), 0);
  EXPECT_EQ(Entry(At("HBA1").get(), "FanRPM"), "");
  EXPECT_THAT(sink->codes, IsEmpty());
  // The first poll that runs still notifies as the first of the process.
  EXPECT_EQ(EnclosurePollCount(), 0);
  EXPECT_EQ(Controller("HBA1")->EnclosurePoll(), 1);
  EXPECT_EQ(Get(At("HBA1").get(), "FanRPM"), "4200");
}

TEST_F(EnclosureTest, ThePollingPassRunsBothPollsOnEveryTenthCount) {
  Start(R"({"controllers": [{
    "disks": [{"disk": 0, "model": "Kestrel KD-80A"}],
    "arrays": [{"name": "Single", "mode": "spanning", "members": [0]}],
    "bays": [{"channel": 0, "type": "quickbay", "fan": 4200, "temperature": 36}],
    "battery": {"chargeStatus": 9, "cycles": 12}}]})");
  PollTickCount() = 0;
  auto hba1 = At("HBA1");
  ComPtr<RecordingSink> sink = Watch("HBA1");
  ASSERT_EQ(simApply(R"({"battery": {"cycles": 13}})"), 0);
  // One array: the count moves by one a pass, and the polls run when it stands on 10.
  for (int pass = 1; pass < 10; ++pass) PollTimerProc(nullptr, 0, 0, 0);
  EXPECT_EQ(Entry(hba1.get(), "FanRPM"), "");
  EXPECT_THAT(sink->codes, IsEmpty());
  PollTimerProc(nullptr, 0, 0, 0);
  EXPECT_EQ(Get(hba1.get(), "FanRPM"), "4200");
  EXPECT_EQ(Get(hba1.get(), "BatteryChargeCycle"), "13");
  EXPECT_THAT(sink->codes, ElementsAre(kNotifyChanged, kNotifyChanged));
}

}  // namespace
}  // namespace swkv::test
