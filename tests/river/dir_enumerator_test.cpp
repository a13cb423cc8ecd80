// The dir enumerator: Next, Skip, Reset and Clone over the live drop list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "com/module_lock.h"
#include "platform/text.h"
#include "tests/support/agent.h"
#include "tests/support/test_node.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

class DirEnumerator : public ::testing::Test {
 protected:
  void SetUp() override {
    node->SetIntProperty("a", kReadOnly, 1);
    node->SetIntProperty("b", kReadOnly, 2);
  }
  ComPtr<IEnumString> Open(IRiver* river) {
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(river->dir(unknown.put()), S_OK);
    return unknown.As<IEnumString>(IID_IEnumString);
  }
  // Next(count) into fresh 64-character buffers; the texts fetched.
  std::vector<std::string> Next(IEnumString* e, ULONG count, HRESULT* hr = nullptr,
                                ULONG* fetchedOut = nullptr) {
    std::vector<UniqueBstr> buffers;
    std::vector<LPOLESTR> elements;
    for (ULONG i = 0; i < count; ++i) {
      buffers.push_back(UniqueBstr::Buffer(64));
      elements.push_back(buffers.back().get());
    }
    ULONG fetched = 99;
    HRESULT result = e->Next(count, elements.data(), &fetched);
    if (hr) *hr = result;
    if (fetchedOut) *fetchedOut = fetched;
    std::vector<std::string> texts;
    for (ULONG i = 0; i < fetched && i < count; ++i)
      texts.push_back(Narrow(buffers[i].get()));
    return texts;
  }
  ComPtr<TestNode> node{TestNode::Make(nullptr, "n")};
};

TEST_F(DirEnumerator, NextYieldsEntriesInListOrderOnlyAfterReset) {
  auto e = Open(node.get());
  HRESULT hr;
  ULONG fetched;
  EXPECT_TRUE(Next(e.get(), 1, &hr, &fetched).empty());
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(e->Reset(), S_OK);
  auto texts = Next(e.get(), 10, &hr, &fetched);
  EXPECT_EQ(hr, S_OK);  // fewer than asked, but at least one
  EXPECT_EQ(fetched, 3u);
  EXPECT_THAT(texts, ElementsAre(StartsWith("handle@pr-@"), "a@pr-@1", "b@pr-@2"));
  EXPECT_TRUE(Next(e.get(), 1, &hr, &fetched).empty());
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(fetched, 0u);
  ComPtr<IUnknown> other;
  EXPECT_EQ(e->QueryInterface(IID_IRiver, other.put_void()), E_NOINTERFACE);
  EXPECT_EQ(e->QueryInterface(IID_IUnknown, other.put_void()), S_OK);
  node->RemoveAllChildren();
  EXPECT_EQ(e->Reset(), S_FALSE);  // an empty node
}

TEST_F(DirEnumerator, SkipRules) {
  auto e = Open(node.get());
  EXPECT_EQ(e->Skip(0), S_FALSE);  // not started
  e->Reset();
  EXPECT_EQ(e->Skip(0), S_OK);
  EXPECT_EQ(e->Skip(2), S_OK);
  EXPECT_EQ(Next(e.get(), 1), std::vector<std::string>{"b@pr-@2"});
  e->Reset();
  EXPECT_EQ(e->Skip(5), S_FALSE);  // past the end
  e->Reset();
  EXPECT_EQ(e->Skip(3), S_FALSE);  // exactly to the end
}

TEST_F(DirEnumerator, CloneContinuesFromTheSamePosition) {
  auto e = Open(node.get());
  e->Reset();
  e->Skip(1);
  ComPtr<IEnumString> copy;
  ASSERT_EQ(e->Clone(copy.put()), S_OK);
  EXPECT_EQ(Next(copy.get(), 5), (std::vector<std::string>{"a@pr-@1", "b@pr-@2"}));
  EXPECT_EQ(Next(e.get(), 1), std::vector<std::string>{"a@pr-@1"});
  EXPECT_EQ(e->Clone(nullptr), E_POINTER);
}

TEST_F(DirEnumerator, EntriesAreCutToTheAgentsBuffers) {
  node->SetProperty("long", kReadOnly, "%s", "0123456789");
  auto e = Open(node.get());
  e->Reset();
  e->Skip(3);
  UniqueBstr buffer = UniqueBstr::Buffer(8);
  LPOLESTR element = buffer.get();
  ULONG fetched = 0;
  EXPECT_EQ(e->Next(1, &element, &fetched), S_OK);
  EXPECT_EQ(Narrow(buffer.get()), "long@pr-");
  LPOLESTR none = nullptr;
  e->Reset();
  EXPECT_EQ(e->Next(1, &none, &fetched), S_OK);  // a null buffer is passed over unwritten
  EXPECT_EQ(fetched, 1u);
}

TEST_F(DirEnumerator, RemovingTheCurrentDropContinuesWithTheNextOrEndsTheListing) {
  TestNode::MakeChild(node.get(), "kid");
  node->SetIntProperty("c", kReadOnly, 3);
  auto e = Open(node.get());
  e->Reset();
  e->Skip(3);  // standing on "kid"
  node->RemoveChild(node->FindDrop("kid"));
  EXPECT_EQ(Next(e.get(), 5), std::vector<std::string>{"c@pr-@3"});
  e->Reset();
  e->Skip(2);  // standing on "b"
  node->RemoveAllChildren();
  HRESULT hr;
  EXPECT_TRUE(Next(e.get(), 1, &hr).empty());
  EXPECT_EQ(hr, S_FALSE);
}

// A released enumerator is kept by its node and handed out again by the next dir or Clone:
// listing a node over and over allocates nothing after the first time. Each one handed out is
// still an object of its own, starting from nothing, with its own count, position and module
// lock.
TEST_F(DirEnumerator, ReleasedEnumeratorsComeBackFreshAndIndependent) {
  long locks = ModuleLockCount();
  IEnumString* first = nullptr;
  {
    auto e = Open(node.get());
    first = e.get();
    e->Reset();
    e->Skip(2);  // left standing on "b"
  }
  EXPECT_EQ(ModuleLockCount(), locks);

  auto again = Open(node.get());
  EXPECT_EQ(again.get(), first);  // the spare, not a new object
  EXPECT_TRUE(Next(again.get(), 1).empty());  // not started: the old position is gone
  EXPECT_EQ(ModuleLockCount(), locks + 1);

  auto other = Open(node.get());  // while one is out, another is a different object
  EXPECT_NE(other.get(), again.get());
  again->Reset();
  again->Skip(1);
  other->Reset();
  ComPtr<IEnumString> copy;
  ASSERT_EQ(again->Clone(copy.put()), S_OK);
  EXPECT_EQ(ModuleLockCount(), locks + 3);
  EXPECT_EQ(Next(copy.get(), 5), (std::vector<std::string>{"a@pr-@1", "b@pr-@2"}));
  EXPECT_EQ(Next(again.get(), 1), std::vector<std::string>{"a@pr-@1"});
  EXPECT_EQ(Next(other.get(), 1).size(), 1u);  // "handle@..."
  copy->AddRef();
  EXPECT_EQ(copy->Release(), 1u);

  // Three out, two kept: the third is deleted (LeakSanitizer sees the rest freed with the node).
  copy.reset();
  again.reset();
  other.reset();
  EXPECT_EQ(ModuleLockCount(), locks);
  auto back = Open(node.get());
  back->Reset();
  EXPECT_EQ(Next(back.get(), 5).size(), 3u);
}

// An enumerator released after every other reference on its node goes with the node: the node
// is destroyed then, and the module's count comes back to where it was.
TEST_F(DirEnumerator, TheLastEnumeratorReleasedTakesItsNodeAlong) {
  long locks = ModuleLockCount();
  int before = TestNode::destroyed;
  Open(node.get()).reset();  // one spare kept
  auto e = Open(node.get());
  auto clone = ComPtr<IEnumString>();
  e->Clone(clone.put());
  node.reset();
  e.reset();
  EXPECT_EQ(TestNode::destroyed, before);
  clone->Reset();
  EXPECT_EQ(Next(clone.get(), 5).size(), 3u);
  clone.reset();
  EXPECT_EQ(TestNode::destroyed, before + 1);
  EXPECT_EQ(ModuleLockCount(), locks - 1);  // the node's own lock is gone too
}

}  // namespace
}  // namespace swkv::test
