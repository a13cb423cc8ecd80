// CTypeInfoHolder: the dispatch support of one interface. It loads the interface's type
// information from the registered type library on first use, keeps it with a cache of the
// interface's member names, and answers the IDispatch calls through it.
#pragma once

#include "platform/win.h"

namespace swkv {

class CTypeInfoHolder {
 public:
  // How the type information is found: LoadFromRegisteredLibrary, or a stand-in in tests.
  using Loader = HRESULT (*)(REFIID iid, LCID lcid, ITypeInfo** info);

  constexpr explicit CTypeInfoHolder(const IID& iid, Loader loader = &LoadFromRegisteredLibrary)
      : m_iid(&iid), m_loader(loader) {}
  CTypeInfoHolder(const CTypeInfoHolder&) = delete;
  CTypeInfoHolder& operator=(const CTypeInfoHolder&) = delete;

  // The interface's type information with one reference added. DISP_E_BADINDEX for an index
  // other than 0; the loader's status when it cannot be loaded.
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info);
  // Each name through the name cache, else through the type information; the first failure
  // ends the call with its status.
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
  // The type information's own invocation on instance, the interface's pointer, with the
  // arguments of script engines unwrapped first (script_arguments.h).
  HRESULT Invoke(IDispatch* instance, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);

  // Releases the type information and frees the name cache; the next use loads them again. Run
  // by the module at termination.
  void Clear() noexcept;

  // The type library MXARAIDLib 1.0 as registered, and in it the interface's description.
  static HRESULT LoadFromRegisteredLibrary(REFIID iid, LCID lcid, ITypeInfo** info);

 private:
  struct CachedName {
    BSTR name;
    UINT length;
    DISPID id;
  };

  // Loads once, under the module's critical section. A failure keeps nothing, so the next
  // call tries again.
  HRESULT EnsureLoaded(LCID lcid);
  static HRESULT BuildNameCache(ITypeInfo* info, CachedName*& names, UINT& count);
  static void FreeNames(CachedName* names, UINT count) noexcept;
  static void CleanUp(void* holder) noexcept;

  const IID* m_iid;
  Loader m_loader;
  ITypeInfo* m_info = nullptr;
  CachedName* m_names = nullptr;
  UINT m_nameCount = 0;
};

}  // namespace swkv
