// BSTR, VARIANT and type-library functions of the POSIX build, exported with C linkage so that
// any host can allocate the strings it passes and free the ones the component returns.
//
// A BSTR is the Windows block: a 32-bit byte length, the UTF-16 text, a 16-bit zero; the pointer
// points at the text.
#pragma once

#include "platform/posix/oaidl.h"
#include "platform/posix/objbase.h"

extern "C" {
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
void SysFreeString(BSTR text);

void VariantInit(VARIANT* variant);
HRESULT VariantClear(VARIANT* variant);
}

// Type-library services. A type library is carried by the module it describes and registered
// under HKEY_CLASSES_ROOT\TypeLib, as on Windows; how a POSIX module carries its library is said
// in platform/posix/typelib_resource.h.
enum REGKIND : int { REGKIND_REGISTER = 1, REGKIND_NONE = 2 };

extern "C" {
// Loads the type library of the module file. TYPE_E_CANTLOADLIBRARY when the file is not a
// loadable module or carries no type library. LoadTypeLib registers nothing when given a full
// path, as on Windows; LoadTypeLibEx registers the library too with REGKIND_REGISTER.
HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** lib);
HRESULT LoadTypeLibEx(LPCOLESTR file, REGKIND kind, ITypeLib** lib);
// Loads a registered library by id and version: the highest registered minor version at or
// above the one asked for, the locale asked for, else its primary language, else neutral.
// TYPE_E_LIBNOTREGISTERED when no such registration exists.
HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib);
// Writes the library's keys (TypeLib\{libid}\major.minor with its locale, FLAGS and HELPDIR) and
// an Interface key for each dual or automation interface. TYPE_E_REGISTRYACCESS when a key
// cannot be written.
HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir);
// Removes what RegisterTypeLib wrote for that version, locale and system. TYPE_E_REGISTRYACCESS
// when it was not registered.
HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);
}
