// Fuzz target: the controller's "CreateArray", "DeleteArray" and "ConvArray" with arbitrary
// argument texts, against the simulated controller library.
//
// Input: byte 0 picks the action, byte 1 the controller (HBA1 or HBA2), the rest is the
// argument. In the argument, "$d" or "$a" followed by a digit k stands for the handle number of
// the k-th disk or array node of the tree (in tree order, modulo their number), so that inputs
// can name real nodes although handle numbers differ from run to run. Each input starts from the
// same controllers and a new tree; after the action every node left in the tree is listed and
// read, then the tree is released.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ptr.h"
#include "raidlib/selection.h"
#include "river/river_node.h"
#include "sim/sim_control.h"
#include "tree/root_node.h"

namespace {

using swkv::CRiver;

constexpr const char* kScenario = R"({"controllers":[
 {"activitySeconds":100,"settings":{"hotSpares":0},"disks":[
  {"disk":0,"model":"D0","sectors":1000000},{"disk":1,"model":"D1","sectors":1000000},
  {"disk":2,"model":"D2","sectors":1000000},{"disk":3,"model":"D3","sectors":1000000},
  {"disk":4,"model":"D4","sectors":1000000},{"disk":5,"model":"D5","sectors":2000000}],
  "arrays":[{"name":"Old","mode":"mirroring","members":[0,1]},
            {"name":"Grow","mode":"spanning","members":[2]}]},
 {"disks":[{"disk":0,"model":"E0"},{"disk":1,"model":"E1"},{"disk":2,"model":"E2"},
           {"disk":3,"model":"E3"}],
  "arrays":[{"name":"P","mode":"parity","members":[0,1,2],"task":{"kind":"sync","progress":10}}]}]})";

constexpr const char* kActions[] = {"CreateArray", "DeleteArray", "ConvArray"};

void Collect(CRiver* node, std::vector<CRiver*>& disks, std::vector<CRiver*>& arrays) {
  swkv::DropPosition position = node->GetHeadPosition();
  while (CRiver* child = node->GetNextChild(position)) {
    if (child->published_kind() == 28) disks.push_back(child);
    if (child->published_kind() == 25) arrays.push_back(child);
    Collect(child, disks, arrays);
  }
}

// Lists and reads every entry of every node, as an agent walking the tree would.
void ReadAll(CRiver* node) {
  std::vector<std::string> names;
  for (const auto& drop : node->drops()) names.push_back(drop->name());
  for (const std::string& name : names) (void)node->GetProperty(name);
  swkv::DropPosition position = node->GetHeadPosition();
  while (CRiver* child = node->GetNextChild(position)) ReadAll(child);
}

std::string Substitute(std::string_view text, const std::vector<CRiver*>& disks,
                       const std::vector<CRiver*>& arrays) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '$' && i + 2 < text.size() && (text[i + 1] == 'd' || text[i + 1] == 'a') &&
        text[i + 2] >= '0' && text[i + 2] <= '9') {
      const auto& nodes = text[i + 1] == 'd' ? disks : arrays;
      if (!nodes.empty()) {
        const std::size_t k = static_cast<std::size_t>(text[i + 2] - '0') % nodes.size();
        out += std::to_string(nodes[k]->handle_number());
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  if (simLoadScenarioText(kScenario) != 0) __builtin_trap();
  simStopClock();
  swkv::ResetSelection();  // the new model has no controller open
  swkv::ComPtr<swkv::RootNode> root(swkv::RootNode::New());
  std::vector<CRiver*> disks, arrays;
  Collect(root.get(), disks, arrays);

  const char* action = kActions[data[0] % 3];
  const char* controllerName = data[1] % 2 ? "HBA2" : "HBA1";
  const std::string argument = Substitute(
      std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2), disks, arrays);
  if (CRiver* controller = root->GetChild(controllerName)) {
    swkv::UniqueBstr name = swkv::UniqueBstr::FromAnsi(action);
    swkv::UniqueBstr text = swkv::UniqueBstr::FromAnsi(argument);
    if (controller->invoke(name.get(), text.get()) != 0) __builtin_trap();
  }
  ReadAll(root.get());
  return 0;
}
