// The part of the tree a monitoring system cares about, read once: controllers, arrays, disks,
// bays and batteries with their readings as numbers and state words. The verdict, the metrics and
// the exporter are all made from one of these, so they never disagree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/swkvctl/tree_snapshot.h"

namespace swkv::mon {

struct ControllerState {
  std::string path;  // "HBA1"
  std::string hardware, driver;
};

struct ArrayState {
  std::string controller, name, path;
  std::string mode;   // "MIRRORING"
  std::string state;  // the Status word: normal, critical, down, synchronising, rebuilding,
                      // converting, or unknown
  std::string status;                     // the raw Status value
  std::optional<double> progress;         // of the activity under way, 0 to 1
  bool paused = false;                    // the activity is paused
  std::optional<std::uint64_t> sizeBytes;
  std::optional<std::uint64_t> blockBytes;
  std::string described;                  // "rebuilding 37% (paused)"
};

struct DiskState {
  std::string controller, path;  // path below its channel: "HBA1/ch2/master"
  int channel = -1;              // 0-based, as the disk's Channel entry says
  std::string position;          // "master" or "slave"
  std::string state;             // good, failed, rebuilding, converting, waiting, unknown
  std::string smart;             // functional, error, not_supported, unknown, or ""
  std::string model;
  std::string array;             // the array it belongs to, or ""
  std::optional<std::uint64_t> sizeBytes;
  std::string sizeText;
};

struct BayState {
  std::string controller, name, path;
  std::optional<double> temperature;  // Celsius
  std::optional<double> fanRpm;
  std::optional<bool> supply5V, supply12V;  // true good, false failed
};

struct BatteryState {
  std::string controller, path;
  std::string status;  // "BATTERY_FULLY_CHARGED"
  std::optional<double> temperature, volts, cycles;
};

struct SystemState {
  std::vector<ControllerState> controllers;
  std::vector<ArrayState> arrays;
  std::vector<DiskState> disks;
  std::vector<BayState> bays;
  std::vector<BatteryState> batteries;
};

// Reads the state from a snapshot. Each array's Status, percent and ThrottleStatus are asked of
// the node (the component reads them from the controller); everything else is the snapshot's.
SystemState ReadSystemState(const ctl::TreeSnapshot& tree);

// The battery's charge status as a metric's state word: "fully_charged" for
// BATTERY_FULLY_CHARGED; every word the component may give, in its order.
std::string BatteryWord(const std::string& status);
const std::vector<std::string>& BatteryWords();

}  // namespace swkv::mon
