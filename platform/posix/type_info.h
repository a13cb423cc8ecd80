// ITypeInfo of the POSIX build: one type of a library made from a module's description
// (typelib_resource.h). It lives inside its TypeLibrary and shares the library's count.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/typelib_resource.h"

namespace swkv::posix {

class TypeLibrary;

struct ParamInfo {
  std::u16string name;
  VARTYPE vt = VT_EMPTY;
  USHORT flags = 0;
};

struct FuncInfo {
  std::u16string name;
  std::u16string help;
  MEMBERID memid = MEMBERID_NIL;
  std::vector<ParamInfo> params;
  SWKV_TLIB_CALL call = nullptr;
};

class TypeInfo final : public ITypeInfo {
 public:
  TypeInfo(TypeLibrary& library, UINT index, const SWKV_TLIB_TYPE& type);

  // IUnknown: a type description lives inside its library and shares the library's count.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** ppTypeAttr) override;
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp** ppTComp) override;
  HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) override;
  HRESULT STDMETHODCALLTYPE GetVarDesc(UINT index, VARDESC** ppVarDesc) override;
  HRESULT STDMETHODCALLTYPE GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames,
                                     UINT* pcNames) override;
  HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) override;
  HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT index, INT* pImplTypeFlags) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames,
                                          MEMBERID* pMemId) override;
  HRESULT STDMETHODCALLTYPE Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags,
                                   DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                   EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
  HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR* pBstrName,
                                             BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                             BSTR* pBstrHelpFile) override;
  HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID memid, INVOKEKIND invKind, BSTR* pBstrDllName,
                                        BSTR* pBstrName, WORD* pwOrdinal) override;
  HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) override;
  HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID memid, INVOKEKIND invKind,
                                            PVOID* ppv) override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                           PVOID* ppvObj) override;
  HRESULT STDMETHODCALLTYPE GetMops(MEMBERID memid, BSTR* pBstrMops) override;
  HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) override;
  void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR* pTypeAttr) override;
  void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC* pFuncDesc) override;
  void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC* pVarDesc) override;

  TYPEKIND kind() const { return m_kind; }
  const GUID& guid() const { return m_guid; }
  const std::u16string& name() const { return m_name; }
  const std::u16string& help() const { return m_help; }

 private:
  const FuncInfo* FindFunc(MEMBERID memid) const;

  TypeLibrary& m_library;
  UINT m_index;
  TYPEKIND m_kind;
  GUID m_guid;
  std::u16string m_name;
  std::u16string m_help;
  WORD m_typeFlags;
  UINT m_inheritedFuncs;
  std::vector<FuncInfo> m_funcs;
  INT m_defaultInterface;
};

// Wide text of the description's single-byte text (each byte one character, as CP_ACP maps it).
std::u16string Widen(LPCSTR text);
// Case-insensitive comparison of names, as the type-information services compare them.
bool SameName(const std::u16string& name, const OLECHAR* other);

}  // namespace swkv::posix
