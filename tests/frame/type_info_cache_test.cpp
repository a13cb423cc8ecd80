// The dispatch support's one-time load and name cache, watched from inside: the registered
// library's description of IRiver is handed to a holder through a wrapper that counts the loads
// and the name lookups that reach it.
#include <gtest/gtest.h>

#include "frame/type_info_holder.h"
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

  HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** attr) override {
    return m_inner->GetTypeAttr(attr);
  }
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp** comp) override {
    return m_inner->GetTypeComp(comp);
  }
  HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC** desc) override {
    return m_inner->GetFuncDesc(index, desc);
  }
  HRESULT STDMETHODCALLTYPE GetVarDesc(UINT index, VARDESC** desc) override {
    return m_inner->GetVarDesc(index, desc);
  }
  HRESULT STDMETHODCALLTYPE GetNames(MEMBERID id, BSTR* names, UINT max, UINT* count) override {
    return m_inner->GetNames(id, names, max, count);
  }
  HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT index, HREFTYPE* type) override {
    return m_inner->GetRefTypeOfImplType(index, type);
  }
  HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT index, INT* flags) override {
    return m_inner->GetImplTypeFlags(index, flags);
  }
  HRESULT STDMETHODCALLTYPE Invoke(PVOID instance, MEMBERID id, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argErr) override {
    return m_inner->Invoke(instance, id, flags, params, result, exception, argErr);
  }
  HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* context,
                                             BSTR* file) override {
    return m_inner->GetDocumentation(id, name, doc, context, file);
  }
  HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dll, BSTR* name,
                                        WORD* ordinal) override {
    return m_inner->GetDllEntry(id, kind, dll, name, ordinal);
  }
  HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE type, ITypeInfo** info) override {
    return m_inner->GetRefTypeInfo(type, info);
  }
  HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID id, INVOKEKIND kind, PVOID* ppv) override {
    return m_inner->AddressOfMember(id, kind, ppv);
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, PVOID* ppv) override {
    return m_inner->CreateInstance(outer, iid, ppv);
  }
  HRESULT STDMETHODCALLTYPE GetMops(MEMBERID id, BSTR* mops) override {
    return m_inner->GetMops(id, mops);
  }
  HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib** lib, UINT* index) override {
    return m_inner->GetContainingTypeLib(lib, index);
  }
  void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR* attr) override {
    m_inner->ReleaseTypeAttr(attr);
  }
  void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC* desc) override {
    m_inner->ReleaseFuncDesc(desc);
  }
  void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC* desc) override { m_inner->ReleaseVarDesc(desc); }

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
