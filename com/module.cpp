#include "com/module.h"

namespace swkv {

CModule& Module() noexcept {
  // Made on first use, which is the application object's start-up; so it is destroyed only after
  // the exit routine has run, objects being destroyed in the reverse order of their making.
  static CModule module;
  return module;
}

void CModule::Init(std::span<ClassEntry> classes, HINSTANCE instance) noexcept {
  m_classes = classes;
  m_instance = instance;
}

void CModule::Term() noexcept {
  for (;;) {
    TermFunc next{};
    {
      std::lock_guard lock(m_termFuncsLock);
      if (m_termFuncCount == 0) break;
      next = m_termFuncs[--m_termFuncCount];
    }
    next.func(next.data);
  }
  std::lock_guard lock(m_criticalSection);
  for (ClassEntry& entry : m_classes) {
    if (IClassFactory* classObject = entry.classObject) {
      entry.classObject = nullptr;
      classObject->Release();
    }
  }
}

HRESULT CModule::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  for (ClassEntry& entry : m_classes) {
    if (!IsEqualGUID(*entry.clsid, clsid)) continue;
    std::lock_guard lock(m_criticalSection);
    if (!entry.classObject) {
      if (HRESULT hr = entry.createClassObject(&entry.classObject); FAILED(hr)) return hr;
    }
    return entry.classObject->QueryInterface(riid, ppv);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

bool CModule::AddTermFunc(void (*func)(void* data), void* data) noexcept {
  std::lock_guard lock(m_termFuncsLock);
  if (!func || m_termFuncCount == kMaxTermFuncs) return false;
  m_termFuncs[m_termFuncCount++] = {func, data};
  return true;
}

}  // namespace swkv
