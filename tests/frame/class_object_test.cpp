// Making the main class inside an outer object (the rest of the class object's behaviour is in
// sessions/class_object.txt).
#include <gtest/gtest.h>

#include "tests/frame/component_host.h"
#include "tests/support/agent.h"

namespace swkv::test {
namespace {

void* const kUntouched = reinterpret_cast<void*>(0x1);

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

}  // namespace
}  // namespace swkv::test
