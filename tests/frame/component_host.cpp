#include "tests/frame/component_host.h"

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

ComPtr<IRiver> ComponentHost::CreateRoot() const {
  ComPtr<IClassFactory> factory;
  ComPtr<IRiver> root;
  EXPECT_EQ(GetClassObject(CLSID_SwkvRAID, IID_IClassFactory, factory.put_void()), S_OK);
  if (factory) {
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IRiver, root.put_void()), S_OK);
  }
  return root;
}

}  // namespace swkv::test
