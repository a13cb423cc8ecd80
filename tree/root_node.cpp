#include "tree/root_node.h"

#include <array>
#include <cstdio>
#include <new>

#include "events/polled_nodes.h"
#include "platform/module_instance.h"
#include "platform/win.h"
#include "raidlib/selection.h"
#include "tree/controller_node.h"
#include "tree/file_version_info.h"

namespace swkv {

RootNode* RootNode::New() { return new (std::nothrow) RootNode; }

RootNode::RootNode() {
  SetHandle(nullptr, "swkvraid", kKind);
  const std::int32_t count = DiscoverControllers();
  ControllerCount() = count;
  for (std::int32_t index = 0; index < count; ++index) AddControllerNode(index);

  std::array<char, 261> path{};
  DWORD length = GetModuleFileNameA(ModuleInstance(), path.data(), 260);
  if (length > 0 && length < 260) {
    FileVersionInfo version(path.data());
    const char* text = nullptr;
    UINT textLength = 0;
    // Only the presence of the string matters; the text shown is fixed.
    if (version.QueryVersionString("FileVersion", &text, &textLength, 0))
      SetProperty("FileVersion", kReadOnly, "%s", "1.0.0001 Build 1");
  }
  SetProperty("Type", kReadOnly, "%s", "TESSARY SwiftbayRAIDKv9");
}

std::int32_t RootNode::DiscoverControllers() {
  // Only consecutive indices from 0 count; no controller is closed between the attempts.
  for (std::int32_t index = 0; index < 2; ++index) {
    if (OpenController(index) != 0) return index;
    SetCurrentController(index);
  }
  return 2;
}

int RootNode::AddControllerNode(std::int32_t index) {
  if (OpenController(index) != 0) return 0;
  SetCurrentController(index);
  char name[32];
  std::snprintf(name, sizeof name, "HBA%d", index + 1);
  return AdoptChild(ControllerNode::New(), [&](ControllerNode& controller) {
           return controller.CreateController(nullptr, name);
         }) != nullptr;
}

CRiver* NewRootNode() { return RootNode::New(); }

}  // namespace swkv
