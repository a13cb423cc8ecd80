// The four entry points the component module exports, with C linkage and undecorated names.
#include "com/module.h"
#include "com/module_lock.h"
#include "frame/server_registration.h"

STDAPI DllCanUnloadNow(void) { return swkv::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return swkv::Module().GetClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer(void) { return swkv::RegisterServer(); }

STDAPI DllUnregisterServer(void) {
  // Removal reports success whatever became of it: a half-removed registration is no reason
  // for an installer to stop.
  swkv::UnregisterServer();
  return S_OK;
}
