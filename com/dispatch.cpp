#include "com/dispatch.h"

#include "com/type_info_holder.h"
#include "mxaraid/interfaces.h"

namespace swkv {

namespace {

// One holder per dual interface of the type library. Constant-initialised, so that a node made
// while the module starts finds them ready; what they load is freed by the module's clean-ups.
constinit CTypeInfoHolder g_riverInfo{IID_IRiver};
constinit CTypeInfoHolder g_eventLogInfo{IID_IEventLog};
constinit CTypeInfoHolder g_raidEventInfo{IID_IRAIDEvent};

CTypeInfoHolder* HolderFor(REFIID iface) {
  if (IsEqualIID(iface, IID_IRiver)) return &g_riverInfo;
  if (IsEqualIID(iface, IID_IEventLog)) return &g_eventLogInfo;
  if (IsEqualIID(iface, IID_IRAIDEvent)) return &g_raidEventInfo;
  return nullptr;
}

}  // namespace

HRESULT DispatchGetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT DispatchGetTypeInfo(REFIID iface, UINT index, LCID lcid, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  CTypeInfoHolder* holder = HolderFor(iface);
  return holder ? holder->GetTypeInfo(index, lcid, info) : E_NOINTERFACE;
}

HRESULT DispatchGetIDsOfNames(REFIID iface, LPOLESTR* names, UINT count, LCID lcid,
                              DISPID* ids) {
  CTypeInfoHolder* holder = HolderFor(iface);
  return holder ? holder->GetIDsOfNames(names, count, lcid, ids) : E_NOINTERFACE;
}

HRESULT DispatchInvoke(REFIID iface, IDispatch* instance, DISPID id, LCID lcid, WORD flags,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                       UINT* argErr) {
  CTypeInfoHolder* holder = HolderFor(iface);
  return holder ? holder->Invoke(instance, id, lcid, flags, params, result, excepInfo, argErr)
                : E_NOINTERFACE;
}

}  // namespace swkv
