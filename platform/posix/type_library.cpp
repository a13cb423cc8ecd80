// ITypeLib over a copied library description.
#include "platform/posix/type_library.h"

#include <new>

namespace swkv::posix {

namespace {

// Stores a copy of text where a caller asked for it; false when memory ran out.
bool StoreBstr(BSTR* target, const std::u16string& text) {
  if (!target) return true;
  *target = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *target != nullptr;
}

}  // namespace

// ---- TypeLibrary ---------------------------------------------------------------------------

TypeLibrary::TypeLibrary(const SWKV_TLIB& description)
    : m_name(Widen(description.name)), m_help(Widen(description.help)) {
  m_attr.guid = description.libid;
  m_attr.lcid = description.lcid;
  m_attr.syskind = SYS_WIN64;
  m_attr.wMajorVerNum = description.majorVersion;
  m_attr.wMinorVerNum = description.minorVersion;
  m_attr.wLibFlags = description.libFlags;
  for (UINT t = 0; t < description.typeCount; ++t)
    m_types.push_back(std::make_unique<TypeInfo>(*this, t, description.types[t]));
}

HRESULT TypeLibrary::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_ITypeLib)) return E_NOINTERFACE;
  AddRef();
  *ppv = static_cast<ITypeLib*>(this);
  return S_OK;
}

ULONG TypeLibrary::AddRef() { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }

ULONG TypeLibrary::Release() {
  ULONG refs = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (refs == 0) delete this;
  return refs;
}

UINT TypeLibrary::GetTypeInfoCount() { return static_cast<UINT>(m_types.size()); }

HRESULT TypeLibrary::GetTypeInfo(UINT index, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_INVALIDARG;
  *ppTInfo = nullptr;
  TypeInfo* info = type(index);
  if (!info) return TYPE_E_ELEMENTNOTFOUND;
  info->AddRef();
  *ppTInfo = info;
  return S_OK;
}

HRESULT TypeLibrary::GetTypeInfoType(UINT index, TYPEKIND* pTKind) {
  if (!pTKind) return E_INVALIDARG;
  TypeInfo* info = type(index);
  if (!info) return TYPE_E_ELEMENTNOTFOUND;
  *pTKind = info->kind();
  return S_OK;
}

HRESULT TypeLibrary::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) {
  if (!ppTinfo) return E_INVALIDARG;
  *ppTinfo = nullptr;
  for (UINT t = 0; t < m_types.size(); ++t)
    if (IsEqualGUID(m_types[t]->guid(), guid)) return GetTypeInfo(t, ppTinfo);
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeLibrary::GetLibAttr(TLIBATTR** ppTLibAttr) {
  if (!ppTLibAttr) return E_INVALIDARG;
  *ppTLibAttr = new (std::nothrow) TLIBATTR(m_attr);
  return *ppTLibAttr ? S_OK : E_OUTOFMEMORY;
}

void TypeLibrary::ReleaseTLibAttr(TLIBATTR* pTLibAttr) { delete pTLibAttr; }

HRESULT TypeLibrary::GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString,
                                      DWORD* pdwHelpContext, BSTR* pBstrHelpFile) {
  if (index >= 0) {
    TypeInfo* info = type(static_cast<UINT>(index));
    if (!info) return TYPE_E_ELEMENTNOTFOUND;
    return info->GetDocumentation(MEMBERID_NIL, pBstrName, pBstrDocString, pdwHelpContext,
                                  pBstrHelpFile);
  }
  if (pdwHelpContext) *pdwHelpContext = 0;
  if (pBstrHelpFile) *pBstrHelpFile = nullptr;
  if (pBstrDocString) *pBstrDocString = nullptr;
  if (!StoreBstr(pBstrName, m_name)) return E_OUTOFMEMORY;
  if (!StoreBstr(pBstrDocString, m_help)) {
    if (pBstrName) SysFreeString(*pBstrName);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT TypeLibrary::GetTypeComp(ITypeComp**) { return E_NOTIMPL; }
HRESULT TypeLibrary::IsName(LPOLESTR, ULONG, BOOL*) { return E_NOTIMPL; }
HRESULT TypeLibrary::FindName(LPOLESTR, ULONG, ITypeInfo**, MEMBERID*, USHORT*) {
  return E_NOTIMPL;
}

}  // namespace swkv::posix
