#include "frame/class_factory.h"

#include <new>

#include "com/module_lock.h"

namespace swkv {

CClassFactory* CClassFactory::Create(Creator creator) noexcept {
  return new (std::nothrow) CClassFactory(creator);
}

HRESULT CClassFactory::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory))
    return E_NOINTERFACE;
  AddRef();
  *ppv = static_cast<IClassFactory*>(this);
  return S_OK;
}

ULONG CClassFactory::AddRef() {
  std::lock_guard lock(m_lock);
  if (++m_refs == 2) LockModule();
  return m_refs;
}

ULONG CClassFactory::Release() {
  ULONG refs;
  {
    std::lock_guard lock(m_lock);
    refs = --m_refs;
    if (refs == 1) UnlockModule();
  }
  if (refs == 0) delete this;
  return refs;
}

HRESULT CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  return m_creator(outer, riid, ppv);
}

HRESULT CClassFactory::LockServer(BOOL lock) {
  if (lock)
    LockModule();
  else
    UnlockModule();
  return S_OK;
}

}  // namespace swkv
