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

}  // extern "C"
