#include "tests/frame/component_host.h"

#include <algorithm>
#include <vector>

namespace swkv::test {

ComponentHost::ComponentHost() {
  if (!m_module.LoadCopy(SWKV_COMPONENT_MODULE)) {
    ADD_FAILURE() << m_module.error();
    return;
  }
  m_canUnloadNow = m_module.Entry<HRESULT()>("DllCanUnloadNow");
  m_getClassObject =
      m_module.Entry<HRESULT(REFCLSID, REFIID, void**)>("DllGetClassObject");
  m_registerServer = m_module.Entry<HRESULT()>("DllRegisterServer");
  m_unregisterServer = m_module.Entry<HRESULT()>("DllUnregisterServer");
  EXPECT_TRUE(m_canUnloadNow && m_getClassObject && m_registerServer && m_unregisterServer)
      << "the module lacks an entry point";
}

ComPtr<IClassFactory> ComponentHost::Factory() const {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(GetClassObject(CLSID_SwkvRAID, IID_IClassFactory, factory.put_void()), S_OK);
  return factory;
}

ComPtr<IRiver> ComponentHost::CreateRoot() const {
  ComPtr<IRiver> root;
  if (ComPtr<IClassFactory> factory = Factory()) {
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IRiver, root.put_void()), S_OK);
  }
  return root;
}

namespace {
VARIANT OfType(VARTYPE type) {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = type;
  return arg;
}
}  // namespace

VARIANT TextArg(BSTR text) { VARIANT arg = OfType(VT_BSTR); arg.bstrVal = text; return arg; }
VARIANT UlongArg(ULONG value) { VARIANT arg = OfType(VT_UI4); arg.ulVal = value; return arg; }
VARIANT ByRef(BSTR* text) {
  VARIANT arg = OfType(VT_BSTR | VT_BYREF);
  arg.pbstrVal = text;
  return arg;
}
VARIANT ByRef(ULONG* value) {
  VARIANT arg = OfType(VT_UI4 | VT_BYREF);
  arg.pulVal = value;
  return arg;
}
VARIANT ByRef(IUnknown** object) {
  VARIANT arg = OfType(VT_UNKNOWN | VT_BYREF);
  arg.ppunkVal = object;
  return arg;
}
VARIANT ByRef(VARIANT* variant) {
  VARIANT arg = OfType(VT_VARIANT | VT_BYREF);
  arg.pvarVal = variant;
  return arg;
}

HRESULT CallByDispatch(IDispatch* target, DISPID id, std::initializer_list<VARIANT> args,
                       EXCEPINFO* exception, UINT* argErr) {
  std::vector<VARIANT> reversed(args.begin(), args.end());
  std::reverse(reversed.begin(), reversed.end());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  return target->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, exception, argErr);
}

}  // namespace swkv::test
