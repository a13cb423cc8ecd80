// The component's entry points and class object as a host uses them: when the module may be
// unloaded, which class ids it serves, and making the main class with and without an outer
// object.
#include <gtest/gtest.h>

#include <functional>

#include "tests/frame/component_host.h"
#include "tests/support/agent.h"

namespace swkv::test {
namespace {

void* const kUntouched = reinterpret_cast<void*>(0x1);

TEST(ComponentModule, MayUnloadOnlyWhileNoNodeEnumeratorOrFactoryIsHeldNorTheServerLocked) {
  ComponentHost host;
  EXPECT_EQ(host.CanUnloadNow(), S_OK);
  {
    ComPtr<IClassFactory> factory = host.Factory();
    EXPECT_EQ(host.CanUnloadNow(), S_FALSE) << "the host holds the factory";
  }
  EXPECT_EQ(host.CanUnloadNow(), S_OK) << "only the module itself holds the factory";
  ASSERT_EQ(host.Factory()->LockServer(TRUE), S_OK);
  EXPECT_EQ(host.CanUnloadNow(), S_FALSE) << "a locked server stays until unlocked";
  ASSERT_EQ(host.Factory()->LockServer(FALSE), S_OK);
  EXPECT_EQ(host.CanUnloadNow(), S_OK);

  ComPtr<IRiver> root = host.CreateRoot();
  ASSERT_TRUE(root);
  EXPECT_EQ(host.CanUnloadNow(), S_FALSE) << "the root is held";
  ComPtr<IRiver> child = Cd(root.get(), "HBA1");
  ASSERT_TRUE(child);
  ComPtr<IUnknown> listing;
  ASSERT_EQ(root->dir(listing.put()), S_OK);
  ComPtr<IEnumString> clone;
  ASSERT_EQ(listing.As<IEnumString>(IID_IEnumString)->Clone(clone.put()), S_OK);

  root.reset();
  EXPECT_EQ(host.CanUnloadNow(), S_FALSE) << "enumerators and a cd result are held";
  listing.reset();
  EXPECT_EQ(host.CanUnloadNow(), S_FALSE) << "an enumerator and a cd result are held";
  clone.reset();
  EXPECT_EQ(host.CanUnloadNow(), S_FALSE) << "a cd result is held";
  child.reset();
  EXPECT_EQ(host.CanUnloadNow(), S_OK);
}

TEST(ComponentModule, ServesOneCachedClassObjectForTheMainClassOnly) {
  ComponentHost host;
  ComPtr<IClassFactory> first = host.Factory();
  ComPtr<IClassFactory> second = host.Factory();
  ASSERT_TRUE(first);
  EXPECT_EQ(first.get(), second.get());
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(host.GetClassObject(CLSID_SwkvRAID, IID_IUnknown, unknown.put_void()), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(first.get()));

  for (const CLSID* other : {&CLSID_EventLog, &CLSID_RAIDEvent, &IID_IRiver}) {
    void* out = kUntouched;
    EXPECT_EQ(host.GetClassObject(*other, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
  }
  void* out = kUntouched;
  EXPECT_EQ(host.GetClassObject(CLSID_SwkvRAID, IID_IRiver, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(host.GetClassObject(CLSID_SwkvRAID, IID_IClassFactory, nullptr), E_POINTER);
}

TEST(ComponentModule, EachCreationBuildsItsOwnTreeAndAFailedQueryDestroysIt) {
  ComponentHost host;
  ComPtr<IClassFactory> factory = host.Factory();
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IRiver, nullptr), E_POINTER);
  void* out = kUntouched;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IEnumString, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  ComPtr<IRiver> one, two;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IRiver, one.put_void()), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IRiver, two.put_void()), S_OK);
  EXPECT_NE(Get(one.get(), "handle"), Get(two.get(), "handle"));
  EXPECT_NE(Get(Cd(one.get(), "HBA1").get(), "handle"), Get(Cd(two.get(), "HBA1").get(), "handle"));
  one.reset();
  two.reset();
  factory.reset();
  EXPECT_EQ(host.CanUnloadNow(), S_OK) << "the root of the failed query was not destroyed";
}

// An outer object that aggregates the main class: it answers IUnknown itself and everything
// else through the inner object; it counts the references its interfaces get.
class Outer final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    if (IsEqualIID(iid, IID_IUnknown)) {
      AddRef();
      *ppv = static_cast<IUnknown*>(this);
      return S_OK;
    }
    return inner ? inner->QueryInterface(iid, ppv) : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }

  ULONG refs = 0;
  IUnknown* inner = nullptr;
};

TEST(ComponentModule, AggregatesOnlyThroughIUnknownAndThenSharesTheOuterIdentity) {
  ComponentHost host;
  ComPtr<IClassFactory> factory = host.Factory();
  Outer outer;
  void* out = kUntouched;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IRiver, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);

  ComPtr<IUnknown> inner;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, inner.put_void()), S_OK);
  outer.inner = inner.get();
  EXPECT_EQ(outer.refs, 0u) << "creation leaves the outer object's count alone";
  {
    ComPtr<IRiver> river;
    ASSERT_EQ(outer.QueryInterface(IID_IRiver, river.put_void()), S_OK);
    EXPECT_EQ(outer.refs, 1u) << "the root's interface counts on the outer object";
    ComPtr<IUnknown> identity;
    ASSERT_EQ(river->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
    EXPECT_EQ(identity.get(), static_cast<IUnknown*>(&outer));
    EXPECT_EQ(Get(river.get(), "Type"), "TESSARY SwiftbayRAIDKv9");
    EXPECT_TRUE(Cd(river.get(), "HBA1"));
  }
  EXPECT_EQ(outer.refs, 0u);
  inner.reset();
  factory.reset();
  EXPECT_EQ(host.CanUnloadNow(), S_OK);
}

TEST(ComponentModule, AWholeTreeWalkLeavesNothingBehind) {
  ComponentHost host;
  int nodes = 0;
  int entries = 0;
  std::function<void(IRiver*)> walk = [&](IRiver* node) {
    ++nodes;
    for (const std::string& entry : Dir(node)) {
      const std::string name = entry.substr(0, entry.find('@'));
      ++entries;
      Get(node, name);
      if (entry.compare(name.size() + 1, 1, "o") == 0) {
        ComPtr<IRiver> child = Cd(node, name);
        ASSERT_TRUE(child) << name;
        walk(child.get());
      }
    }
  };
  walk(host.CreateRoot().get());
  EXPECT_GE(nodes, 2) << "the root and at least one controller";
  EXPECT_GE(entries, nodes) << "every node has its handle";
  EXPECT_EQ(host.CanUnloadNow(), S_OK);
  host.module().Unload();
}

}  // namespace
}  // namespace swkv::test
