#include "bench/prescribed_calls.h"

#include <initializer_list>
#include <utility>

namespace swkv::bench {

namespace {

CallCounts Calls(std::initializer_list<std::pair<Fn, std::int64_t>> list) {
  CallCounts counts{};
  for (const auto& [fn, n] : list) counts[static_cast<std::size_t>(fn)] += n;
  return counts;
}

CallCounts operator+(CallCounts a, const CallCounts& b) {
  for (std::size_t i = 0; i < a.size(); ++i) a[i] += b[i];
  return a;
}

CallCounts operator*(std::int64_t n, CallCounts a) {
  for (std::int64_t& count : a) count *= n;
  return a;
}

// The default scenario: HBA1 has disks 0, 2, 3, 4, 5, 6 (channels 0 to 3 hold 1, 2, 2 and 1),
// bays on its channels 0, 1 and 2, a battery, and the arrays System (2 members) and Data (3);
// HBA2 has all eight disks, one bay on its channel 0, no battery, and the arrays Scratch (2),
// Ledger (3) and Archive (2). No disk takes part in a rebuild or conversion.

// A disk node's UpdateProperties: status, name, description, timing.
const CallCounts kDisk = Calls({{Fn::GetDiskStatus, 1},
                                {Fn::GetDeviceName, 1},
                                {Fn::GetDiskDescription, 1},
                                {Fn::GetDiskTiming, 1}});

// A channel's content build with n devices: the disk list, then per device its name and the
// disk node (created or found and refreshed, the same calls).
CallCounts Channel(std::int64_t devices) {
  return Calls({{Fn::EnumerateAllDisks, 1}, {Fn::GetDeviceName, devices}}) + devices * kDisk;
}

// An enclosure's content build: the type of each of the four channels' bay devices; for each
// bay with sensors its type again and the bay node's status read.
CallCounts Enclosure(std::int64_t bays) {
  return Calls({{Fn::EnclosureType, 4 + bays}, {Fn::GetEnclosureStatus, bays}});
}

// The battery read: four readings.
const CallCounts kBatteryRead = Calls({{Fn::GetBatteryTemperature, 1},
                                       {Fn::GetBatteryVoltage, 1},
                                       {Fn::GetChargeStatus, 1},
                                       {Fn::GetChargeCycle, 1}});

// An array node's UpdateProperties: record, description, status.
const CallCounts kArrayProperties =
    Calls({{Fn::GetArrayInfo, 1}, {Fn::GetArrayDescription, 1}, {Fn::GetArrayStatus, 1}});

// A new array node of n members, from BuildArrayChildren: the physical number, the record for
// its name; InitArray: the physical number again, the description, the members and a disk node
// per member; then its UpdateProperties.
CallCounts NewArray(std::int64_t members) {
  return Calls({{Fn::MapLogicalToPhysicalArray, 2},
                {Fn::GetArrayInfo, 1},
                {Fn::GetArrayDescription, 1},
                {Fn::EnumerateDisksInArray, 1}}) +
         members * kDisk + kArrayProperties;
}

// An array node found again by BuildArrayChildren: the physical number, then its Refresh.
const CallCounts kFoundArray = Calls({{Fn::MapLogicalToPhysicalArray, 1}}) + kArrayProperties;

// A controller node's construction (the ten settings) and its UpdateProperties.
const CallCounts kNewController = Calls({{Fn::OriginalChannelCount, 1},
                                         {Fn::ChannelThreshold, 1},
                                         {Fn::WriteCacheEnabled, 1},
                                         {Fn::HotSparesEnabled, 1},
                                         {Fn::SmartCheckEnabled, 1},
                                         {Fn::GetRebuildRate, 1},
                                         {Fn::ReadThreshold, 1},
                                         {Fn::WriteThreshold, 1},
                                         {Fn::SubmitChannelThreshold, 1},
                                         {Fn::WriteMode, 1},
                                         {Fn::GetControllerInfo, 1},
                                         {Fn::GetDriverVersion, 1}});

const CallCounts kReselect = Calls({{Fn::Terminate, 1}, {Fn::Initialize, 1}});

// The whole tree, built after an earlier build left controller 1 current.
CallCounts WholeTree() {
  // Discovery opens indices 0 and 1; AddControllerNode opens 0 and then 1 again.
  CallCounts calls = Calls({{Fn::Initialize, 4}});
  // HBA1 (current: nothing is selected again): settings and properties, the channel count,
  // channels, enclosure, battery module and pack present, battery read, array list, arrays.
  calls = calls + kNewController + Calls({{Fn::GetMaxChannelsPerAdapter, 1}}) + Channel(1) +
          Channel(2) + Channel(2) + Channel(1) + Enclosure(3) +
          Calls({{Fn::CheckBatteryBackModule, 1}, {Fn::CheckBatteryPack, 1}}) + kBatteryRead +
          Calls({{Fn::EnumerateAllArrays, 1}}) + NewArray(2) + NewArray(3);
  // HBA2: as HBA1, with four channels of two disks and one bay. The bay node selects
  // controller 0 (bays are numbered across both controllers), so the battery slot selects
  // controller 1 again before it asks for the module, which HBA2 does not have.
  calls = calls + kNewController + Calls({{Fn::GetMaxChannelsPerAdapter, 1}}) + 4 * Channel(2) +
          Enclosure(1) + kReselect + kReselect + Calls({{Fn::CheckBatteryBackModule, 1}}) +
          Calls({{Fn::EnumerateAllArrays, 1}}) + NewArray(2) + NewArray(3) + NewArray(2);
  return calls;
}

// SyncControllerChildren of HBA1 with every child found: the channel count, each channel's and
// the enclosure's content build, the battery read, the array list and each array refreshed.
CallCounts RefreshController() {
  return Calls({{Fn::GetMaxChannelsPerAdapter, 1}}) + Channel(1) + Channel(2) + Channel(2) +
         Channel(1) + Enclosure(3) + kBatteryRead + Calls({{Fn::EnumerateAllArrays, 1}}) +
         2 * kFoundArray;
}

// One pass with no update and no event, five arrays: PollTickCount advances by five in each
// controller index's part, so the sensor polls run in the second part, which finds controller 1
// current from the pass before. Each part opens its controller and fetches events and the update
// flag; HBA1's polls select controller 0 (four bay readings, module and pack present, four
// battery readings), HBA2's select controller 1 (four bay readings, no module); the pass ends
// by opening the current controller.
CallCounts PollingPass() {
  CallCounts part = Calls({{Fn::Initialize, 1}, {Fn::GetEvents, 1}, {Fn::NeedUpdate, 1}});
  return 2 * part + kReselect + Calls({{Fn::GetEnclosureStatus, 4}}) +
         Calls({{Fn::CheckBatteryBackModule, 1}, {Fn::CheckBatteryPack, 1}}) + kBatteryRead +
         kReselect + Calls({{Fn::GetEnclosureStatus, 4}, {Fn::CheckBatteryBackModule, 1}}) +
         Calls({{Fn::Initialize, 1}});
}

// get of every entry: "Status" of each array reads its status; the walk reaches HBA1's arrays
// with controller 1 current and HBA2's with controller 0 current.
CallCounts Walk() { return 2 * kReselect + Calls({{Fn::GetArrayStatus, 5}}); }

}  // namespace

const char* OperationName(Op op) {
  switch (op) {
    case Op::kBuildTree:
      return "build the tree";
    case Op::kWalkTree:
      return "walk the tree (dir, get, cd)";
    case Op::kRefreshRoot:
      return "refresh: root";
    case Op::kRefreshController:
      return "refresh: controller HBA1";
    case Op::kRefreshChannel:
      return "refresh: channel HBA1/ch2";
    case Op::kRefreshDisk:
      return "refresh: disk HBA1/ch2/master";
    case Op::kRefreshArray:
      return "refresh: array HBA1/Data";
    case Op::kRefreshEnclosure:
      return "refresh: enclosure HBA1/enclosure1";
    case Op::kRefreshBay:
      return "refresh: bay HBA1/enclosure1/quickbay1";
    case Op::kRefreshBattery:
      return "refresh: battery HBA1/battery";
    case Op::kGetStatus:
      return "get \"Status\" of HBA1/Data";
    case Op::kPollingPass:
      return "one polling pass";
  }
  return "?";
}

CallCounts PrescribedCalls(Op op) {
  switch (op) {
    case Op::kBuildTree:
      return WholeTree();
    case Op::kWalkTree:
      return Walk();
    case Op::kRefreshRoot:
      return CallCounts{};
    case Op::kRefreshController:
      return RefreshController();
    case Op::kRefreshChannel:
      return Channel(2);
    case Op::kRefreshDisk:
      return kDisk;
    case Op::kRefreshArray:
      return kArrayProperties;
    case Op::kRefreshEnclosure:
      return Enclosure(3);
    // The bay selects controller 0, current already.
    case Op::kRefreshBay:
      return Calls({{Fn::GetEnclosureStatus, 1}});
    case Op::kRefreshBattery:
      return kBatteryRead;
    case Op::kGetStatus:
      return Calls({{Fn::GetArrayStatus, 1}});
    case Op::kPollingPass:
      return PollingPass();
  }
  return CallCounts{};
}

}  // namespace swkv::bench
