// The whole tree as the agent lists it, over scenarios that between them reach every kind of
// node: names, access flags and values of every entry, in order.
#include <gtest/gtest.h>

#include "tests/tree/snapshot.h"
#include "tests/tree/tree_helpers.h"

namespace swkv::test {
namespace {

struct Scenario {
  const char* name;
  const char* text;
};

// "controller": every controller entry with its formats, a bay and a battery; "modes": arrays
// of all six modes on two controllers, one synchronising, one unnamed; "bays": every bay family
// and a missing fan reading, the second controller's battery; "disks": geometry, sizes and
// timings, channels with master only, slave only, both and none.
const Scenario kScenarios[] = {
    {"controller", R"({"controllers": [{
  "info": {"irq": 11, "bmb": "0x1F0", "rba": "0xD800", "sdram": "0xE0000000",
           "hdma": "0x1000", "seq": "0x12345678", "ata": "0xABCD", "mmio": "0xFEDC0000"},
  "driverVersion": "Kv9000 driver 2.10.0042",
  "settings": {"originalChannels": 4, "channelThreshold": 1, "writeCache": 1, "hotSpares": 0,
               "smartCheck": 1, "rebuildRate": 7, "readThreshold": 8, "writeThreshold": 9,
               "submitChannelThreshold": 5, "writeMode": 1},
  "disks": [{"disk": 0, "model": "Kestrel KD-80A"}, {"disk": 2, "model": "Kestrel KD-80A"},
            {"disk": 4, "model": "Osprey OS-120"}, {"disk": 6, "model": "Osprey OS-120"}],
  "arrays": [{"name": "System", "mode": "mirroring", "members": [0, 2]},
             {"name": "Data", "mode": "striping", "members": [4, 6]}],
  "bays": [{"channel": 0, "type": "quickbay", "fan": 4200, "temperature": 36,
            "power5V": 1, "power12V": 1}],
  "battery": {"chargeStatus": 9, "cycles": 12, "temperature": 29, "voltage": 8150}}]})"},
    {"modes", R"({"controllers":[
 {"activitySeconds":100,"settings":{"hotSpares":0},"disks":[
  {"disk":0,"model":"A0","sectors":2097152},{"disk":1,"model":"A1","sectors":2097152},
  {"disk":2,"model":"A2"},{"disk":3,"model":"A3"},{"disk":4,"model":"A4"},{"disk":5,"model":"A5"},
  {"disk":6,"model":"A6"},{"disk":7,"model":"A7"}],
  "arrays":[{"name":"M","mode":"mirroring","members":[0,1]},
            {"name":"S","mode":"striping","members":[2,3],"blockSectors":256},
            {"mode":"spanning","members":[4]},
            {"name":"P","mode":"parity","members":[5,6,7],"task":{"kind":"sync","progress":40}}]},
 {"disks":[{"disk":0,"model":"B0"},{"disk":1,"model":"B1"},{"disk":2,"model":"B2"},
   {"disk":3,"model":"B3"},{"disk":4,"model":"B4"},{"disk":5,"model":"B5"},{"disk":6,"model":"B6"}],
  "arrays":[{"name":"SM","mode":"stripe-mirroring","members":[0,1,2,3]},
            {"mode":"distributed-parity","members":[4,5,6]}]}]})"},
    {"bays", R"({"controllers": [{"bays": [
  {"channel": 0, "type": "quickbay", "fan": 4200, "temperature": 36, "power5V": 1, "power12V": 1},
  {"channel": 1, "type": "plain"}, {"channel": 2, "type": "hyperbay", "temperature": 37},
  {"channel": 3, "type": "unknown"}]},
 {"bays": [{"channel": 0, "type": "omnibay", "fan": 4000, "temperature": 35, "power5V": 0}],
  "battery": {"chargeStatus": 0, "cycles": 3, "voltage": 8000}}]})"},
    {"disks", R"({"controllers":[{"disks":[
  {"disk":0,"model":"Kestrel KD-40A","sectors":78165360,"cylinders":16383,"heads":16,
   "sectorsPerTrack":63,"timing":2},
  {"disk":3,"model":"Heron H-1","sectors":2097152},{"disk":4,"model":"O-4","sectors":20000},
  {"disk":5,"model":"O-5","timing":8}]}]})"},
};

class TreeWalkTest : public ControllerTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(TreeWalkTest, EveryEntryOfEveryNode) {
  Start(GetParam().text);
  ExpectText(GetParam().name, TreeWalk()(root.get()));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, TreeWalkTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace swkv::test
