// A demonstration of the node framework as it stands: builds a small tree of framework nodes
// and walks it the way the agent does, through IRiver and the dir enumerator only. The device
// tree (controllers, arrays, disks) is not part of this program.
#include <cstdio>
#include <string>

#include "platform/com_ptr.h"
#include "platform/text.h"
#include "river/river_node.h"

namespace {

using swkv::ComPtr;
using swkv::UniqueBstr;

class DemoNode : public swkv::CRiverNode {
 public:
  static DemoNode* Make(swkv::CRiver* parent, const char* name, int kind) {
    auto* node = new DemoNode(kind);
    node->Init(parent, name, 0, 0, 0);
    return node;
  }
  int OnInvoke(std::string_view action, std::string_view argument) override {
    SetProperty("lastAction", swkv::kReadOnly, "%.*s(%.*s)", static_cast<int>(action.size()),
                action.data(), static_cast<int>(argument.size()), argument.data());
    FireNotification(swkv::kNotifyChanged);
    return 0;
  }

 protected:
  explicit DemoNode(int kind) { set_kind(kind); }
  ~DemoNode() override = default;
};

void Walk(IRiver* node, const std::string& path, int depth) {
  ComPtr<IUnknown> unknown;
  if (FAILED(node->dir(unknown.put()))) return;
  auto entries = unknown.As<IEnumString>(IID_IEnumString);
  std::printf("%*s%s\n", depth * 2, "", path.c_str());
  entries->Reset();
  UniqueBstr buffer = UniqueBstr::Buffer(512);
  LPOLESTR element = buffer.get();
  ULONG fetched = 0;
  while (entries->Next(1, &element, &fetched) == S_OK) {
    std::size_t length = 0;
    while (buffer.get()[length]) ++length;
    std::string entry(swkv::AnsiText(buffer.get(), length).view());
    std::printf("%*s  %s\n", depth * 2, "", entry.c_str());
    std::size_t at = entry.find('@');
    if (entry.compare(at + 1, 3, "o--") == 0) {
      std::string name = entry.substr(0, at);
      UniqueBstr bname = UniqueBstr::FromAnsi(name);
      ComPtr<IUnknown> child;
      if (node->cd(bname.get(), child.put()) == S_OK)
        Walk(child.As<IRiver>(swkv::IID_IRiver).get(), path + "/" + name, depth + 1);
    }
  }
}

}  // namespace

int main() {
  ComPtr<DemoNode> root(DemoNode::Make(nullptr, "demo", 14));
  root->SetProperty("Type", swkv::kReadOnly, "%s", "node framework demonstration");
  DemoNode* child = DemoNode::Make(root.get(), "Ary1", 25);
  child->SetProperty("Size", swkv::kReadOnly, "%s", "37.271 GB");
  child->SetIntProperty("Status", swkv::kChanging, 0);
  child->AddAction("rename", 16);
  root->AddChild(child, nullptr);
  UniqueBstr action = UniqueBstr::FromAnsi("rename");
  UniqueBstr argument = UniqueBstr::FromAnsi("Data");
  ComPtr<IUnknown> array;
  UniqueBstr name = UniqueBstr::FromAnsi("Ary1");
  root->cd(name.get(), array.put());
  array.As<IRiver>(swkv::IID_IRiver)->invoke(action.get(), argument.get());
  Walk(root.get(), "demo", 0);
  return 0;
}
