// A small node class for exercising the framework the way concrete node classes use it.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "river/river_node.h"

namespace swkv::test {

class TestNode : public CRiverNode {
 public:
  // A node of the given class kind, initialised under parent with name (count 0: the creator
  // links it or releases it).
  static TestNode* Make(CRiver* parent, std::string name, std::int32_t kind = 28,
                        std::int32_t id = 0, std::int32_t extra1 = 0) {
    auto* node = new TestNode(kind);
    node->Init(parent, name, id, extra1, 0);
    return node;
  }
  // A node linked under parent (the parent holds the only reference).
  static TestNode* MakeChild(CRiver* parent, std::string name, std::int32_t kind = 28,
                             std::int32_t id = 0, std::int32_t extra1 = 0) {
    TestNode* node = Make(parent, std::move(name), kind, id, extra1);
    node->AddRef();
    parent->AddChild(node, nullptr);
    node->Release();
    return node;
  }
  static TestNode* Unlinked(std::int32_t kind = 28) { return new TestNode(kind); }

  int OnGet(CDrop* drop) override {
    ++gets;
    if (drop->name() == "live") SetIntProperty("live", DROP_PROPERTY | DROP_READ | DROP_VOLATILE, ++live);
    return 0;
  }
  int OnInvoke(std::string_view action, std::string_view argument) override {
    invoked.emplace_back(action, argument);
    if (onInvoke) onInvoke(action, argument);
    return 0;
  }
  int UpdateProperties() override {
    ++updates;
    order.push_back("UpdateProperties");
    return 1;
  }
  int RegisterActions() override {
    order.push_back("RegisterActions");
    return 1;
  }

  int gets = 0;
  int updates = 0;
  int live = 0;
  std::vector<std::string> order;
  std::vector<std::pair<std::string, std::string>> invoked;
  std::function<void(std::string_view, std::string_view)> onInvoke;
  static inline int destroyed = 0;

 protected:
  explicit TestNode(std::int32_t kind) { set_kind(kind); }
  ~TestNode() override { ++destroyed; }
};

// A root-like node: derives from CRiver alone.
class TestRoot : public CRiver {
 public:
  static TestRoot* Make() {
    auto* root = new TestRoot;
    root->SetHandle(nullptr, "root", 14);
    return root;
  }

 protected:
  ~TestRoot() override = default;
};

}  // namespace swkv::test
