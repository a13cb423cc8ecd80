// What the simulator's tests share: a fresh simulator per test on a stopped clock, scenarios
// written compactly, and the library's answers gathered into plain values.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "sim/sim_control.h"
#include "tests/support/files.h"

namespace swkv::test {

// Removes every SWKV_SIM_* variable.
void ClearSimEnvironment();

inline constexpr int32_t kOk = 0;

// The codes the simulated controller reports (sim/README.md lists them).
enum Mode : int32_t { kStriping, kMirroring, kStripeMirroring, kSpanning, kParity, kDistParity };
enum ArrayState : uint32_t { kNormal, kCritical, kDown };
enum ActivityCode : uint32_t {
  kIdle, kRebuilding, kSpareRebuilding, kSyncing, kConverting, kRebuildPaused, kConvertPaused,
  kSyncPaused
};
enum DiskState : uint32_t { kOnline, kFailed, kFree, kOffline };
enum Command : uint32_t { kStart = 0, kPause = 3, kStop = 4, kStartOrResume = 5 };
// A mirror of disks 0 and 1, for a scenario's "arrays".
inline constexpr char kMirror[] = R"({"name":"M","mode":"mirroring","members":[0,1]})";

// The value a call gives through its one output (after one input, for the second form); the call
// must succeed.
template <typename T>
T Out(int32_t(RAAPI* call)(T*)) {
  T value{};
  EXPECT_EQ(call(&value), kOk);
  return value;
}
template <typename I, typename T>
T Out(int32_t(RAAPI* call)(I, T*), std::type_identity_t<I> in) {
  T value{};
  EXPECT_EQ(call(in, &value), kOk);
  return value;
}

// A controller of n disks (0 to n-1), each of the given size, with hot spares as given, activities
// of 100 seconds and no arrays; arrays and more are added to the returned JSON text by the
// callers through Scenario below.
struct Scenario {
  int disks = 6;
  uint32_t sectors = 1000000;
  bool hotSpares = false;
  std::string arrays{};    // the "arrays" list's items
  std::string extra{};     // more fields of the controller
  std::string timeline{};  // the "timeline" list's items
  bool second = false;     // a second controller like the first
  std::string Json() const;
};

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Loads the scenario and opens controller 0.
  void Load(const std::string& json);
  void Load(const Scenario& s) { Load(s.Json()); }
  void Open(int32_t index) { ASSERT_EQ(TryOpen(index), kOk); }
  // Opens controller index (0 or 1) through raInitialize: its status.
  int32_t TryOpen(int32_t index);
  void Advance(double seconds) { simAdvanceClock(static_cast<int64_t>(seconds * 1000)); }
  void Apply(const std::string& json) { ASSERT_EQ(simApply(json.c_str()), kOk) << simLastError(); }

  struct ArrayStatus {
    uint32_t state = 99, activity = 99;
    int32_t progress = -1;
  };
  ArrayStatus Status(uint32_t logical);
  struct DiskStatus {
    uint32_t array = 99, state = 99, kind = 99, smart = 99;
  };
  DiskStatus Disk(uint32_t disk);
  std::vector<uint32_t> Arrays();
  std::vector<uint32_t> Members(uint32_t logical);
  std::vector<uint32_t> AllDisks();
  uint64_t SizeBytes(uint32_t logical);
  RaArrayInfo Info(uint32_t logical);
  // The disk's model name, as far as it is terminated within its buffer.
  std::string Name(uint32_t disk);
  int32_t Mode(uint32_t logical);
  // Drains the open controller's event queue: the codes, in order.
  std::vector<int32_t> EventCodes();
  std::vector<RaEventRecord> Events();
  int32_t NeedUpdate() { return Out(raNeedUpdate); }
  int32_t Create(const char* name, int32_t mode, std::vector<uint8_t> disks, int32_t block = 0);
};

}  // namespace swkv::test
