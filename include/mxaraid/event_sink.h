// The subscriber's side of a node's connection point: the IUnknown and IDispatch of an
// IRAIDEvent sink. A sink derives from CEventSink and writes RAIDNotification; it is made with
// new, held through ComPtr, and deleted by its last Release. Nodes call RAIDNotification
// directly, so the IDispatch side describes and answers nothing.
#pragma once

#include "mxaraid/interfaces.h"

namespace swkv {

class CEventSink : public IRAIDEvent {
 public:
  CEventSink(const CEventSink&) = delete;
  CEventSink& operator=(const CEventSink&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
        !IsEqualIID(iid, IID_IRAIDEvent))
      return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IRAIDEvent*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  ULONG refs() const { return m_refs; }

 protected:
  CEventSink() = default;
  virtual ~CEventSink() = default;

 private:
  ULONG m_refs = 0;
};

}  // namespace swkv
