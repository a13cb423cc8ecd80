// The six IRiver operations as the agent calls them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/support/agent.h"
#include "tests/support/test_node.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;

class IRiverOps : public ::testing::Test {
 protected:
  void SetUp() override {
    node->SetProperty("ro", kReadOnly, "%s", "fixed");
    node->SetProperty("rw", kReadWrite, "%s", "old");
    node->SetProperty("rv", kChanging, "%d", 7);
    node->AddAction("act", 134217788);
    child = TestNode::MakeChild(node.get(), "kid", 25);
  }
  ComPtr<TestNode> node{TestNode::Make(nullptr, "n")};
  TestNode* child = nullptr;
};

TEST_F(IRiverOps, GetReturnsValuesOfEverySortOfDropAfterTheHookAsRefreshDoes) {
  node->SetIntProperty("live", kChanging, 0);
  EXPECT_EQ(Get(node.get(), "ro"), "fixed");
  EXPECT_EQ(Get(node.get(), "act"), "134217788");
  EXPECT_EQ(Get(node.get(), "kid"), std::to_string(child->handle_number()) + ";25");
  EXPECT_EQ(Get(node.get(), "live"), "1");
  EXPECT_EQ(Get(node.get(), "live"), "2");
  int updates = node->updates;
  EXPECT_EQ(node->refresh(), S_OK);
  EXPECT_EQ(node->updates, updates + 1);
}

TEST_F(IRiverOps, GetOfAnUnknownNameOrIntoNoBufferSucceedsAndWritesNothing) {
  UniqueBstr name = UniqueBstr::FromAnsi("nope");
  UniqueBstr buffer = UniqueBstr::FromAnsi("keep");
  BSTR agentBuffer = buffer.get();
  EXPECT_EQ(node->get(name.get(), &agentBuffer), S_OK);
  EXPECT_EQ(Narrow(buffer.get()), "keep");
  UniqueBstr ro = UniqueBstr::FromAnsi("ro");
  BSTR none = nullptr;
  EXPECT_EQ(node->get(ro.get(), &none), S_OK);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(node->get(ro.get(), nullptr), E_POINTER);
}

TEST_F(IRiverOps, GetCutsALongValueToTheAgentsBufferAndTerminatesIt) {
  node->SetProperty("long", kReadOnly, "%s", "0123456789");
  EXPECT_EQ(Get(node.get(), "long", 4), "0123");
  EXPECT_EQ(Get(node.get(), "long", 10), "0123456789");
  EXPECT_EQ(Get(node.get(), "long", 0), "");
  // Text of n bytes comes back as n wide characters and a zero, the rest untouched.
  node->SetProperty("latin", kReadOnly, "%s", "caf\xE9");
  UniqueBstr name = UniqueBstr::FromAnsi("latin");
  UniqueBstr buffer = UniqueBstr::Buffer(8);
  for (UINT i = 0; i < 8; ++i) buffer.get()[i] = 'x';
  BSTR agentBuffer = buffer.get();
  node->get(name.get(), &agentBuffer);
  EXPECT_EQ(buffer.get()[3], 0xE9);
  EXPECT_EQ(buffer.get()[4], 0);
  EXPECT_EQ(buffer.get()[5], 'x');
  EXPECT_EQ(SysStringLen(buffer.get()), 8u);  // the length prefix is not changed
}

TEST_F(IRiverOps, SetWritesOnlyWritablePropertiesAndCallsNoHook) {
  EXPECT_EQ(Set(node.get(), "rw", "new"), S_OK);
  EXPECT_EQ(Entry(node.get(), "rw"), "rw@prw@new");
  // "v" does not make a drop writable.
  for (auto [name, value] : {std::pair{"handle", "1;1"}, {"ro", "x"}, {"rv", "x"}, {"act", "1"},
                             {"kid", "1;28"}, {"missing", "x"}})
    EXPECT_EQ(Set(node.get(), name, value), S_FALSE) << name;
  EXPECT_EQ(node->set(nullptr, nullptr, 0), S_FALSE);
  EXPECT_EQ(node->gets, 0);
  EXPECT_TRUE(node->invoked.empty());
  EXPECT_EQ(Get(node.get(), "ro"), "fixed");
  EXPECT_EQ(Get(node.get(), "act"), "134217788");
}

TEST_F(IRiverOps, InvokeRunsOnlyActionsANullNameIsTheEmptyName) {
  EXPECT_EQ(Invoke(node.get(), "act", "16@x"), S_OK);
  for (const char* name : {"rw", "kid", "missing"})
    EXPECT_EQ(Invoke(node.get(), name, "1"), S_FALSE) << name;
  EXPECT_EQ(node->invoke(nullptr, nullptr), S_FALSE);
  node->AddAction("", 1);
  EXPECT_EQ(node->invoke(nullptr, nullptr), S_OK);
  EXPECT_THAT(node->invoked, ElementsAre(std::pair<std::string, std::string>("act", "16@x"),
                                         std::pair<std::string, std::string>("", "")));
}

TEST_F(IRiverOps, InvokeKeepsTheNodeAliveWhileTheHandlerDropsTheLastReference) {
  TestNode* raw = TestNode::Make(nullptr, "self");
  raw->AddAction("drop", 1);
  raw->AddRef();
  raw->onInvoke = [raw](std::string_view, std::string_view) { raw->Release(); };
  int before = TestNode::destroyed;
  EXPECT_EQ(Invoke(raw, "drop"), S_OK);
  EXPECT_EQ(TestNode::destroyed, before + 1);
}

TEST_F(IRiverOps, CdReturnsOnlyAChildWithOneMoreReference) {
  EXPECT_EQ(child->ref_count(), 1u);
  {
    ComPtr<IRiver> held = Cd(node.get(), "kid");
    ASSERT_TRUE(held);
    EXPECT_EQ(Get(held.get(), "handle"), std::to_string(child->handle_number()) + ";25");
    EXPECT_EQ(child->ref_count(), 2u);  // the link and the agent's reference
  }
  EXPECT_EQ(child->ref_count(), 1u);
  IUnknown* out = reinterpret_cast<IUnknown*>(0x1);
  for (const char* refused : {"rw", "missing"}) {
    UniqueBstr name = UniqueBstr::FromAnsi(refused);
    EXPECT_EQ(node->cd(name.get(), &out), S_FALSE) << refused;
    EXPECT_EQ(out, reinterpret_cast<IUnknown*>(0x1));
  }
  UniqueBstr kid = UniqueBstr::FromAnsi("kid");
  EXPECT_EQ(node->cd(kid.get(), nullptr), E_POINTER);
}

TEST_F(IRiverOps, QueryInterfaceAnswersTheNodesTableOnly) {
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(node->QueryInterface(IID_IUnknown, unknown.put_void()), S_OK);
  ComPtr<IRiver> river;
  EXPECT_EQ(node->QueryInterface(IID_IRiver, river.put_void()), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(river.get()));
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(node->QueryInterface(IID_IDispatch, dispatch.put_void()), S_OK);
  ComPtr<IConnectionPointContainer> container;
  EXPECT_EQ(node->QueryInterface(IID_IConnectionPointContainer, container.put_void()), S_OK);
  ComPtr<IUnknown> none;
  EXPECT_EQ(node->QueryInterface(IID_IEnumString, none.put_void()), E_NOINTERFACE);
  EXPECT_EQ(node->QueryInterface(IID_IRiver, nullptr), E_POINTER);
}

}  // namespace
}  // namespace swkv::test
