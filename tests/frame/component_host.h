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

  // A new main class object, through a factory that is released again.
  ComPtr<IRiver> CreateRoot() const;

  // The module file's path, as registration writes it.
  const std::string& path() const { return m_module.path(); }

 private:
  LoadedModule m_module;
  HRESULT (*m_canUnloadNow)() = nullptr;
  HRESULT (*m_getClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT (*m_registerServer)() = nullptr;
  HRESULT (*m_unregisterServer)() = nullptr;
};

}  // namespace swkv::test
