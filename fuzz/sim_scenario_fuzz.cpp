// Fuzz target: scenario files of the simulated controller library, and the component's tree
// built on whatever controllers (and faults) a scenario describes.
//
// Input: the scenario text. A refused scenario must come with a message, and a good scenario
// must load and work after it. An accepted one gets a tree built on it; every node is listed and
// every entry read through IRiver; polling passes run while the clocks move on, from single
// seconds (the tenth pass reads the sensors) to years (the timeline falls due); the event logs
// are read; the tree is read again and released, after which no node, enumerator or lock of the
// component may be left.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_host.h"
#include "events/polled_nodes.h"

namespace {

using swkv::ComPtr;
using swkv::RootNode;

// One controller with a mirror: what a simulator that refused a scenario must still take.
constexpr const char* kGoodScenario = R"({"controllers":[{"disks":[
  {"disk":0,"model":"Kestrel KD-80A"},{"disk":2,"model":"Kestrel KD-80A"}],
  "arrays":[{"name":"Alpha","mode":"mirroring","members":[0,2]}]}]})";

// The steps of the clocks between passes, in milliseconds: ten single seconds, then ever longer.
constexpr std::uint64_t kSteps[] = {1000,    1000,     1000,      1000,        1000,
                                    1000,    1000,     1000,      1000,        1000,
                                    30000,   60000,    600000,    3600000,     86400000,
                                    2592000000ull, 315360000000ull};

void ReadEventLogs(IRiver* root) {
  for (const char* name : {"HBA1", "HBA2"}) {
    ComPtr<IRiver> controller = swkv::fuzz::Cd(root, name);
    ComPtr<IEventLog> log = controller.As<IEventLog>(swkv::IID_IEventLog);
    if (!log) continue;
    ULONG count = 0;
    if (log->GetNewCount(&count) != S_OK) std::abort();
    // One read past the count; a log never holds more than the library hands out in one call.
    for (ULONG i = 0; i <= count && i <= RA_MAX_EVENTS; ++i) {
      BSTR record = nullptr;
      ULONG size = 0;
      HRESULT hr = log->ReadEventLog(&record, &size);
      swkv::UniqueBstr owned(record);
      if (hr != S_OK && record) std::abort();  // past the new events: S_FALSE and no string
    }
  }
}

// Nothing of the tree is left once its root is released.
void CheckAllReleased() {
  if (swkv::ModuleLockCount() != 0 || !swkv::ArrayNodeList().empty() ||
      !swkv::ControllerNodeList().empty())
    std::abort();
}

ComPtr<RootNode> Build() {
  ComPtr<RootNode> root(RootNode::New());
  if (!root) std::abort();
  return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  swkv::fuzz::ResetProcessState();
  // The library takes a zero-terminated text; the copy is exactly as long, so that reading past
  // it is caught.
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (simLoadScenarioText(text.c_str()) != 0) {
    const char* error = simLastError();
    if (!error || !error[0]) std::abort();
    // Refused: every call fails until a scenario loads, and the next good one works.
    {
      ComPtr<RootNode> root = Build();
      if (swkv::ControllerCount() != 0) std::abort();
    }
    CheckAllReleased();
    swkv::fuzz::ResetProcessState();
    if (simLoadScenarioText(kGoodScenario) != 0) std::abort();
    ComPtr<RootNode> root = Build();
    if (swkv::ControllerCount() != 1 || !swkv::fuzz::Cd(root.get(), "HBA1")) std::abort();
    root.reset();
    CheckAllReleased();
    return 0;
  }
  {
    ComPtr<RootNode> root = Build();
    swkv::fuzz::ReadAll(root.get());
    for (std::uint64_t step : kSteps) swkv::fuzz::PassAfter(step);
    ReadEventLogs(root.get());
    swkv::fuzz::ReadAll(root.get());
  }
  CheckAllReleased();
  return 0;
}
