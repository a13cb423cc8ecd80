#include "sim_fixture.h"

#include <algorithm>
#include <cstring>

namespace swkv::test {

void ClearSimEnvironment() {
  for (const char* name :
       {"SWKV_SIM_SCENARIO", "SWKV_SIM_STATE", "SWKV_SIM_TRACE", "SWKV_SIM_CLOCK"})
    SetEnv(name, nullptr);
}

std::string Scenario::Json() const {
  auto controller = [&] {
    std::string disksText;
    for (int i = 0; i < disks; ++i)
      disksText += std::string(i ? "," : "") + R"({"disk":)" + std::to_string(i) +
                   R"(,"model":"Disk )" + std::to_string(i) + R"(","sectors":)" +
                   std::to_string(sectors) + "}";
    return std::string(R"({"settings":{"hotSpares":)") + (hotSpares ? "1" : "0") +
           R"(},"activitySeconds":100,"disks":[)" + disksText + R"(],"arrays":[)" + arrays + "]" +
           (extra.empty() ? "" : "," + extra) + "}";
  };
  const std::string one = controller();
  return std::string(R"({"controllers":[)") + one + (second ? std::string(",") + one : "") +
         R"(],"timeline":[)" + timeline + "]}";
}

void SimTest::SetUp() {
  ClearSimEnvironment();
  ASSERT_EQ(simReset(), kOk) << simLastError();
  simStopClock();
}

void SimTest::Load(const std::string& json) {
  ASSERT_EQ(simLoadScenarioText(json.c_str()), kOk) << simLastError();
  Open(0);
}

int32_t SimTest::TryOpen(int32_t index) {
  static int32_t slots[2] = {0, 1};
  int32_t* selection = &slots[index];
  return raInitialize(&selection);
}

SimTest::ArrayStatus SimTest::Status(uint32_t logical) {
  ArrayStatus s;
  EXPECT_EQ(raGetArrayStatus(logical, &s.state, &s.activity, &s.progress), kOk);
  return s;
}

SimTest::DiskStatus SimTest::Disk(uint32_t disk) {
  DiskStatus s;
  EXPECT_EQ(raGetDiskStatus(disk, &s.array, &s.state, &s.kind, &s.smart), kOk);
  return s;
}

namespace {
// The numbers a listing call gives (count and room for RA_MAX_LIST).
template <typename Call>
std::vector<uint32_t> Listed(Call call) {
  uint32_t count = 0, list[RA_MAX_LIST] = {};
  EXPECT_EQ(call(&count, list), kOk);
  return std::vector<uint32_t>(list, list + std::min<uint32_t>(count, RA_MAX_LIST));
}
}  // namespace

std::vector<uint32_t> SimTest::Arrays() { return Listed(raEnumerateAllArrays); }
std::vector<uint32_t> SimTest::AllDisks() { return Listed(raEnumerateAllDisks); }
std::vector<uint32_t> SimTest::Members(uint32_t logical) {
  return Listed([&](uint32_t* count, uint32_t* list) {
    return raEnumerateDisksInArray(logical, count, list);
  });
}

uint64_t SimTest::SizeBytes(uint32_t logical) {
  RaArrayInfo info = Info(logical);
  return static_cast<uint64_t>(info.sizeHigh) << 32 | info.sizeLow;
}

RaArrayInfo SimTest::Info(uint32_t logical) {
  RaArrayInfo info{};
  EXPECT_EQ(raGetArrayInfo(logical, &info), kOk);
  return info;
}

std::string SimTest::Name(uint32_t disk) {
  char name[RA_NAME_SIZE];
  std::memset(name, 'X', sizeof name);
  EXPECT_EQ(raGetDeviceName(disk, name), kOk);
  const char* end = static_cast<const char*>(std::memchr(name, 0, sizeof name));
  return std::string(name, end ? static_cast<std::size_t>(end - name) : sizeof name);
}

int32_t SimTest::Mode(uint32_t logical) {
  int32_t mode = -1, third = 0;
  uint32_t block = 0;
  EXPECT_EQ(raGetArrayDescription(logical, &mode, &third, &block), kOk);
  return mode;
}

std::vector<RaEventRecord> SimTest::Events() {
  std::vector<RaEventRecord> all;
  for (;;) {
    RaEventRecord records[RA_MAX_EVENTS];
    int32_t count = 0;
    EXPECT_EQ(raGetEvents(records, &count), kOk);
    if (count <= 0 || count > RA_MAX_EVENTS) break;
    all.insert(all.end(), records, records + count);
  }
  return all;
}

std::vector<int32_t> SimTest::EventCodes() {
  std::vector<int32_t> codes;
  for (const RaEventRecord& r : Events()) codes.push_back(r.code);
  return codes;
}

int32_t SimTest::Create(const char* name, int32_t mode, std::vector<uint8_t> disks, int32_t block) {
  return raCreateArray(name, mode, static_cast<uint8_t>(disks.size()), disks.data(), block);
}

}  // namespace swkv::test
