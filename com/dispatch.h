// Dispatch support shared by IRiver on every node and IEventLog on the controller node: the
// type information of an interface is loaded from the registered type library on first use.
#pragma once

#include "platform/win.h"

namespace swkv {

HRESULT DispatchGetTypeInfoCount(UINT* count);
HRESULT DispatchGetTypeInfo(REFIID iface, UINT index, LCID lcid, ITypeInfo** info);
HRESULT DispatchGetIDsOfNames(REFIID iface, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
HRESULT DispatchInvoke(REFIID iface, IDispatch* instance, DISPID id, LCID lcid, WORD flags,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);

}  // namespace swkv
