// BSTR and VARIANT functions of the POSIX build, exported with C linkage so that any host can
// allocate the strings it passes and free the ones the component returns.
//
// A BSTR is the Windows block: a 32-bit byte length, the UTF-16 text, a 16-bit zero; the pointer
// points at the text.
#pragma once

#include "platform/posix/objbase.h"

extern "C" {
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length);
INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
void SysFreeString(BSTR text);

void VariantInit(VARIANT* variant);
HRESULT VariantClear(VARIANT* variant);
HRESULT VariantCopy(VARIANT* target, const VARIANT* source);
}
