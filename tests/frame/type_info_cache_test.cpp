// The dispatch support's one-time load and name cache, watched from inside: the registered
// library's description of IRiver is handed to a holder through a wrapper that counts the loads
// and the name lookups that reach it.
#include <gtest/gtest.h>

#include "com/type_info_holder.h"
#include "tests/frame/component_host.h"
#include "tests/support/registry_sandbox.h"

namespace swkv::test {
namespace {

class CountingTypeInfo final : public ITypeInfo {
 public:
  explicit CountingTypeInfo(ComPtr<ITypeInfo> inner) : m_inner(std::move(inner)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    return m_inner->QueryInterface(iid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
    ++lookups;
    return m_inner->GetIDsOfNames(names, count, ids);
  }

  // Everything else goes to the registered library's description unchanged.
#define SWKV_FORWARD(result, method, params, args) \
  result STDMETHODCALLTYPE method params override { return m_inner->method args; }
  SWKV_FORWARD(HRESULT, GetTypeAttr, (TYPEATTR** a), (a))
  SWKV_FORWARD(HRESULT, GetTypeComp, (ITypeComp** a), (a))
  SWKV_FORWARD(HRESULT, GetFuncDesc, (UINT a, FUNCDESC** b), (a, b))
  SWKV_FORWARD(HRESULT, GetVarDesc, (UINT a, VARDESC** b), (a, b))
  SWKV_FORWARD(HRESULT, GetNames, (MEMBERID a, BSTR* b, UINT c, UINT* d), (a, b, c, d))
  SWKV_FORWARD(HRESULT, GetRefTypeOfImplType, (UINT a, HREFTYPE* b), (a, b))
  SWKV_FORWARD(HRESULT, GetImplTypeFlags, (UINT a, INT* b), (a, b))
  SWKV_FORWARD(HRESULT, Invoke, (PVOID a, MEMBERID b, WORD c, DISPPARAMS* d, VARIANT* e,
               EXCEPINFO* f, UINT* g), (a, b, c, d, e, f, g))
  SWKV_FORWARD(HRESULT, GetDocumentation, (MEMBERID a, BSTR* b, BSTR* c, DWORD* d, BSTR* e),
               (a, b, c, d, e))
  SWKV_FORWARD(HRESULT, GetDllEntry, (MEMBERID a, INVOKEKIND b, BSTR* c, BSTR* d, WORD* e),
               (a, b, c, d, e))
  SWKV_FORWARD(HRESULT, GetRefTypeInfo, (HREFTYPE a, ITypeInfo** b), (a, b))
  SWKV_FORWARD(HRESULT, AddressOfMember, (MEMBERID a, INVOKEKIND b, PVOID* c), (a, b, c))
  SWKV_FORWARD(HRESULT, CreateInstance, (IUnknown* a, REFIID b, PVOID* c), (a, b, c))
  SWKV_FORWARD(HRESULT, GetMops, (MEMBERID a, BSTR* b), (a, b))
  SWKV_FORWARD(HRESULT, GetContainingTypeLib, (ITypeLib** a, UINT* b), (a, b))
  SWKV_FORWARD(void, ReleaseTypeAttr, (TYPEATTR* a), (a))
  SWKV_FORWARD(void, ReleaseFuncDesc, (FUNCDESC* a), (a))
  SWKV_FORWARD(void, ReleaseVarDesc, (VARDESC* a), (a))
#undef SWKV_FORWARD

  static inline int lookups = 0;

 private:
  ~CountingTypeInfo() = default;
  ComPtr<ITypeInfo> m_inner;
  ULONG m_refs = 0;
};

int g_loads = 0;
int g_failuresToCome = 0;

HRESULT CountingLoader(REFIID iid, LCID lcid, ITypeInfo** info) {
  ++g_loads;
  if (g_failuresToCome > 0) {
    --g_failuresToCome;
    return TYPE_E_CANTLOADLIBRARY;
  }
  ComPtr<ITypeInfo> inner;
  if (HRESULT hr = CTypeInfoHolder::LoadFromRegisteredLibrary(iid, lcid, inner.put()); FAILED(hr))
    return hr;
  *info = new CountingTypeInfo(std::move(inner));
  (*info)->AddRef();
  return S_OK;
}

DISPID Lookup(CTypeInfoHolder& holder, const char* name, HRESULT expected = S_OK) {
  std::basic_string<OLECHAR> wide(name, name + std::char_traits<char>::length(name));
  LPOLESTR names[] = {wide.data()};
  DISPID id = -99;
  EXPECT_EQ(holder.GetIDsOfNames(names, 1, 0, &id), expected) << name;
  return id;
}

TEST(TypeInfoCache, LoadsOnceAndAnswersKnownNamesFromItsCache) {
  RegistrySandbox sandbox;
  ComponentHost host;
  ASSERT_EQ(host.RegisterServer(), S_OK);
  g_loads = 0;
  g_failuresToCome = 1;
  CountingTypeInfo::lookups = 0;
  CTypeInfoHolder holder(IID_IRiver, &CountingLoader);

  Lookup(holder, "get", TYPE_E_CANTLOADLIBRARY);
  EXPECT_EQ(g_loads, 1);
  EXPECT_EQ(Lookup(holder, "get"), 2) << "a failed load is tried again";
  EXPECT_EQ(Lookup(holder, "get"), 2);
  EXPECT_EQ(g_loads, 2);
  EXPECT_EQ(CountingTypeInfo::lookups, 0) << "both answered from the name cache";

  EXPECT_EQ(Lookup(holder, "Get"), 2) << "a name the cache lacks is asked of the type information";
  Lookup(holder, "nosuch", DISP_E_UNKNOWNNAME);
  EXPECT_EQ(CountingTypeInfo::lookups, 2);

  holder.Clear();
  EXPECT_EQ(Lookup(holder, "cd"), 6);
  EXPECT_EQ(g_loads, 3) << "cleared, it loads again";
  holder.Clear();
}

}  // namespace
}  // namespace swkv::test
