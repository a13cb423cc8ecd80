// The component as a host sees it: a private copy of the module file, loaded from its own path,
// reached through its four entry points. Each host has a module of its own (lock count, class
// object, type information), as a fresh process would.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tests/support/module_loader.h"

namespace swkv::test {

class ComponentHost {
 public:
  ComponentHost();

  // The entry points; E_UNEXPECTED when the module could not be loaded.
  HRESULT CanUnloadNow() const { return m_canUnloadNow ? m_canUnloadNow() : E_UNEXPECTED; }
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const {
    return m_getClassObject ? m_getClassObject(clsid, iid, ppv) : E_UNEXPECTED;
  }
  HRESULT RegisterServer() const { return m_registerServer ? m_registerServer() : E_UNEXPECTED; }
  HRESULT UnregisterServer() const {
    return m_unregisterServer ? m_unregisterServer() : E_UNEXPECTED;
  }

  // The main class's factory.
  ComPtr<IClassFactory> Factory() const;
  // A new main class object, through a factory that is released again.
  ComPtr<IRiver> CreateRoot() const;

  // The module file's path, as registration writes it.
  const std::string& path() const { return m_module.path(); }
  LoadedModule& module() { return m_module; }

 private:
  LoadedModule m_module;
  HRESULT (*m_canUnloadNow)() = nullptr;
  HRESULT (*m_getClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT (*m_registerServer)() = nullptr;
  HRESULT (*m_unregisterServer)() = nullptr;
};

// A VARIANT argument for IDispatch::Invoke (which takes its arguments last first).
VARIANT TextArg(BSTR text);
VARIANT UlongArg(ULONG value);
VARIANT ByRef(BSTR* text);
VARIANT ByRef(ULONG* value);
VARIANT ByRef(IUnknown** object);
// A reference to a variant, as script engines pass their variables.
VARIANT ByRef(VARIANT* variant);

// IDispatch::Invoke of a method, the arguments given first first.
HRESULT CallByDispatch(IDispatch* target, DISPID id, std::initializer_list<VARIANT> args,
                       EXCEPINFO* exception = nullptr, UINT* argErr = nullptr);

}  // namespace swkv::test
