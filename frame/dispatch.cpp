#include "frame/dispatch.h"

namespace swkv {

// The component does not yet carry a type library, so there is nothing registered to load:
// the dispatch calls answer as they do when the library is not registered, and direct calls
// through the virtual table are unaffected.

HRESULT DispatchGetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT DispatchGetTypeInfo(REFIID, UINT, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  return TYPE_E_LIBNOTREGISTERED;
}

HRESULT DispatchGetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return TYPE_E_LIBNOTREGISTERED;
}

HRESULT DispatchInvoke(REFIID, IDispatch*, DISPID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                       UINT*) {
  return TYPE_E_LIBNOTREGISTERED;
}

}  // namespace swkv
