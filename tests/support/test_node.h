// A small node class for exercising the framework the way concrete node classes use it. Its
// hooks, and its end, are written to one log that the tests read in the order things happened.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "river/river_node.h"

namespace swkv::test {

class TestNode : public CRiverNode {
 public:
  // A node of the given class kind, initialised under parent with name (count 0: the creator
  // links it or releases it).
  static TestNode* Make(CRiver* parent, const std::string& name, std::int32_t kind = 28) {
    auto* node = Unlinked(name, kind);
    node->Init(parent, name, 0, 0, 0);
    return node;
  }
  // A node never initialised, known by label alone.
  static TestNode* Unlinked(const std::string& label, std::int32_t kind = 28) {
    return byLabel[label] = new TestNode(label, kind);
  }

  int OnGet(CDrop* drop) override {
    log.push_back(m_label + " OnGet " + drop->name());
    if (drop->name() == "live") SetIntProperty("live", kChanging, ++m_live);
    if (drop->name() == "vanishing") RemoveChild(drop);
    return 0;
  }
  // The action "run" runs its argument as a command of the test's choosing.
  int OnInvoke(std::string_view action, std::string_view argument) override {
    if (action == "run" && onRun) onRun(std::string(argument));
    // Written after the command ran: the node must still be there.
    log.push_back(m_label + " OnInvoke " + std::string(action) + " " + std::string(argument));
    return 0;
  }
  int UpdateProperties() override {
    log.push_back(m_label + " UpdateProperties");
    return 1;
  }
  int RegisterActions() override {
    log.push_back(m_label + " RegisterActions");
    return 1;
  }

  static inline std::vector<std::string> log;
  static inline std::map<std::string, TestNode*> byLabel;  // the nodes alive
  static inline std::function<void(const std::string&)> onRun;

 protected:
  TestNode(std::string label, std::int32_t kind) : m_label(std::move(label)) { set_kind(kind); }
  ~TestNode() override {
    log.push_back("gone " + m_label);
    byLabel.erase(m_label);
  }

 private:
  std::string m_label;
  int m_live = 0;
};

}  // namespace swkv::test
