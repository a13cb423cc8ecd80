// How a module of the POSIX build carries its type library.
//
// A Windows module keeps its type library as resource TYPELIB 1, which LoadTypeLib reads from the
// module's file. A POSIX module keeps a description of the same library as constant data, and
// registers it with the platform library while it is loaded (TypeLibResource below, one object of
// static storage duration in a source of the module). LoadTypeLib finds a library by the module
// file the description lives in, loading that module first if it is not loaded yet.
//
// The description is written from the module's IDL at build time: every name, help text, member
// id and parameter of the library, and for each method a call that unpacks its arguments and
// calls the method through the interface's own virtual table.
#pragma once

#include "platform/win.h"

extern "C" {

struct SWKV_TLIB_PARAM {
  LPCSTR name;
  VARTYPE vt;          // the parameter's type; a pointer parameter has VT_BYREF added
  USHORT paramFlags;   // PARAMFLAG_FIN, PARAMFLAG_FOUT
};

// Calls the method on instance (the interface pointer the description is of). args holds one
// argument per parameter, in declaration order, each of exactly the parameter's type.
typedef HRESULT (*SWKV_TLIB_CALL)(void* instance, VARIANTARG* const* args);

struct SWKV_TLIB_FUNC {
  LPCSTR name;
  LPCSTR help;
  MEMBERID memid;
  const SWKV_TLIB_PARAM* params;
  UINT paramCount;
  SWKV_TLIB_CALL call;
};

struct SWKV_TLIB_TYPE {
  TYPEKIND kind;        // TKIND_DISPATCH for a dual interface, TKIND_COCLASS
  GUID guid;
  LPCSTR name;
  LPCSTR help;
  WORD typeFlags;
  UINT inheritedFuncs;  // methods of the base interfaces in the virtual table (7 for IDispatch)
  const SWKV_TLIB_FUNC* funcs;
  UINT funcCount;
  INT defaultInterface;  // a class's default interface: its index in the library; -1 for none
};

struct SWKV_TLIB {
  GUID libid;
  LPCSTR name;
  LPCSTR help;
  WORD majorVersion;
  WORD minorVersion;
  LCID lcid;
  WORD libFlags;
  const SWKV_TLIB_TYPE* types;
  UINT typeCount;
};

// Makes library known as the type library of the module whose data holds it. FALSE with
// ERROR_INVALID_PARAMETER when library does not lie in a loaded module.
BOOL SwkvRegisterTypeLibResource(const SWKV_TLIB* library);
// Forgets it; a module unregisters before it is unloaded.
void SwkvUnregisterTypeLibResource(const SWKV_TLIB* library);

}  // extern "C"

namespace swkv {

// Keeps a module's type library registered while the module is loaded.
class TypeLibResource {
 public:
  explicit TypeLibResource(const SWKV_TLIB& library) noexcept : m_library(library) {
    SwkvRegisterTypeLibResource(&m_library);
  }
  ~TypeLibResource() { SwkvUnregisterTypeLibResource(&m_library); }
  TypeLibResource(const TypeLibResource&) = delete;
  TypeLibResource& operator=(const TypeLibResource&) = delete;

 private:
  const SWKV_TLIB& m_library;
};

}  // namespace swkv
