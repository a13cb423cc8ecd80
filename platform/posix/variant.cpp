// VARIANT life cycle for the types the component's dispatch uses.
#include "platform/win.h"

extern "C" {

void VariantInit(VARIANT* variant) {
  if (!variant) return;
  variant->vt = VT_EMPTY;
  variant->wReserved1 = variant->wReserved2 = variant->wReserved3 = 0;
  variant->llVal = 0;
}

HRESULT VariantClear(VARIANT* variant) {
  if (!variant) return E_INVALIDARG;
  switch (variant->vt) {
    case VT_BSTR:
      SysFreeString(variant->bstrVal);
      break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (variant->punkVal) variant->punkVal->Release();
      break;
    default:
      break;  // plain values and references own nothing
  }
  VariantInit(variant);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* target, const VARIANT* source) {
  if (!target || !source) return E_INVALIDARG;
  if (target == source) return S_OK;
  VariantClear(target);
  *target = *source;
  switch (source->vt) {
    case VT_BSTR:
      if (source->bstrVal) {
        target->bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
        if (!target->bstrVal) {
          VariantInit(target);
          return E_OUTOFMEMORY;
        }
      }
      break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (target->punkVal) target->punkVal->AddRef();
      break;
    default:
      break;
  }
  return S_OK;
}

}  // extern "C"
