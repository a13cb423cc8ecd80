// ITypeInfo over a copied type description: the members the automation services and their
// callers use (attributes, member descriptions, names, documentation, a class's interface, name
// lookup); the rest answer E_NOTIMPL. Invoke is in type_info_invoke.cpp.
#include "platform/posix/type_info.h"

#include <cstring>
#include <new>

#include "platform/posix/type_library.h"

namespace swkv::posix {

namespace {

// Stands for "the interface a class implements" in GetRefTypeOfImplType: the type's index.
constexpr HREFTYPE kLocalTypeFlag = 0x10000;

BSTR AllocBstr(const std::u16string& text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// Stores a copy of text where a caller asked for it; false when memory ran out.
bool StoreBstr(BSTR* target, const std::u16string& text) {
  if (!target) return true;
  *target = AllocBstr(text);
  return *target != nullptr;
}

VARTYPE BaseType(VARTYPE vt) { return static_cast<VARTYPE>(vt & ~VT_BYREF); }

}  // namespace

std::u16string Widen(LPCSTR text) {
  std::u16string wide;
  if (text)
    for (const char* p = text; *p; ++p) wide.push_back(static_cast<unsigned char>(*p));
  return wide;
}

bool SameName(const std::u16string& name, const OLECHAR* other) {
  if (!other) return false;
  auto fold = [](char16_t c) -> char16_t { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; };
  std::size_t i = 0;
  for (; i < name.size(); ++i)
    if (other[i] == 0 || fold(name[i]) != fold(other[i])) return false;
  return other[i] == 0;
}


TypeInfo::TypeInfo(TypeLibrary& library, UINT index, const SWKV_TLIB_TYPE& type)
    : m_library(library),
      m_index(index),
      m_kind(type.kind),
      m_guid(type.guid),
      m_name(Widen(type.name)),
      m_help(Widen(type.help)),
      m_typeFlags(type.typeFlags),
      m_inheritedFuncs(type.inheritedFuncs),
      m_defaultInterface(type.defaultInterface) {
  for (UINT f = 0; f < type.funcCount; ++f) {
    const SWKV_TLIB_FUNC& source = type.funcs[f];
    FuncInfo func;
    func.name = Widen(source.name);
    func.help = Widen(source.help);
    func.memid = source.memid;
    func.call = source.call;
    for (UINT p = 0; p < source.paramCount; ++p)
      func.params.push_back({Widen(source.params[p].name), source.params[p].vt,
                             source.params[p].paramFlags});
    m_funcs.push_back(std::move(func));
  }
}

HRESULT TypeInfo::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_ITypeInfo)) return E_NOINTERFACE;
  AddRef();
  *ppv = static_cast<ITypeInfo*>(this);
  return S_OK;
}

ULONG TypeInfo::AddRef() { return m_library.AddRef(); }
ULONG TypeInfo::Release() { return m_library.Release(); }

const FuncInfo* TypeInfo::FindFunc(MEMBERID memid) const {
  for (const FuncInfo& func : m_funcs)
    if (func.memid == memid) return &func;
  return nullptr;
}

HRESULT TypeInfo::GetTypeAttr(TYPEATTR** ppTypeAttr) {
  if (!ppTypeAttr) return E_INVALIDARG;
  auto* attr = new (std::nothrow) TYPEATTR{};
  *ppTypeAttr = attr;
  if (!attr) return E_OUTOFMEMORY;
  attr->guid = m_guid;
  attr->lcid = 0;
  attr->memidConstructor = MEMBERID_NIL;
  attr->memidDestructor = MEMBERID_NIL;
  attr->cbSizeInstance = sizeof(void*);
  attr->typekind = m_kind;
  attr->cFuncs = static_cast<WORD>(m_funcs.size());
  attr->cImplTypes = m_kind == TKIND_COCLASS ? (m_defaultInterface >= 0 ? 1 : 0) : 1;
  attr->cbSizeVft = static_cast<WORD>((m_inheritedFuncs + m_funcs.size()) * sizeof(void*));
  attr->cbAlignment = alignof(void*);
  attr->wTypeFlags = m_typeFlags;
  attr->tdescAlias.vt = VT_EMPTY;
  return S_OK;
}

void TypeInfo::ReleaseTypeAttr(TYPEATTR* pTypeAttr) { delete pTypeAttr; }

HRESULT TypeInfo::GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) {
  if (!ppFuncDesc) return E_INVALIDARG;
  *ppFuncDesc = nullptr;
  if (index >= m_funcs.size()) return TYPE_E_ELEMENTNOTFOUND;
  const FuncInfo& func = m_funcs[index];
  const std::size_t count = func.params.size();
  // One block holds the description, its parameters and their pointed-to types, so that
  // ReleaseFuncDesc frees it with one call.
  const std::size_t size = sizeof(FUNCDESC) + count * (sizeof(ELEMDESC) + sizeof(TYPEDESC));
  auto* bytes = static_cast<char*>(::operator new(size, std::nothrow));
  if (!bytes) return E_OUTOFMEMORY;
  std::memset(bytes, 0, size);
  auto* params = reinterpret_cast<ELEMDESC*>(bytes + sizeof(FUNCDESC));
  auto* pointees = reinterpret_cast<TYPEDESC*>(params + count);
  for (std::size_t p = 0; p < count; ++p) {
    const ParamInfo& param = func.params[p];
    // A by-reference parameter is described as a pointer to its type, as IDL compilers do.
    if (param.vt & VT_BYREF) {
      pointees[p].vt = BaseType(param.vt);
      params[p].tdesc.vt = VT_PTR;
      params[p].tdesc.lptdesc = &pointees[p];
    } else {
      params[p].tdesc.vt = param.vt;
    }
    params[p].paramdesc.wParamFlags = param.flags;
  }
  auto& desc = *reinterpret_cast<FUNCDESC*>(bytes);
  desc.memid = func.memid;
  desc.lprgelemdescParam = count ? params : nullptr;
  desc.funckind = m_kind == TKIND_DISPATCH ? FUNC_DISPATCH : FUNC_PUREVIRTUAL;
  desc.invkind = INVOKE_FUNC;
  desc.callconv = CC_STDCALL;
  desc.cParams = static_cast<SHORT>(count);
  desc.oVft = static_cast<SHORT>((m_inheritedFuncs + index) * sizeof(void*));
  desc.elemdescFunc.tdesc.vt = VT_HRESULT;
  *ppFuncDesc = &desc;
  return S_OK;
}

void TypeInfo::ReleaseFuncDesc(FUNCDESC* pFuncDesc) {
  // The description begins the block it was allocated in.
  ::operator delete(pFuncDesc);
}

HRESULT TypeInfo::GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) {
  if (!pcNames || (cMaxNames && !rgBstrNames)) return E_INVALIDARG;
  *pcNames = 0;
  const FuncInfo* func = FindFunc(memid);
  if (!func) return TYPE_E_ELEMENTNOTFOUND;
  UINT stored = 0;
  auto put = [&](const std::u16string& name) {
    if (stored >= cMaxNames) return true;
    if (!(rgBstrNames[stored] = AllocBstr(name))) return false;
    ++stored;
    return true;
  };
  bool ok = put(func->name);
  for (const ParamInfo& param : func->params) ok = ok && put(param.name);
  if (!ok) {
    for (UINT i = 0; i < stored; ++i) SysFreeString(rgBstrNames[i]);
    return E_OUTOFMEMORY;
  }
  *pcNames = stored;
  return S_OK;
}

HRESULT TypeInfo::GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) {
  if (!rgszNames || !pMemId || cNames == 0) return E_INVALIDARG;
  for (UINT i = 0; i < cNames; ++i) pMemId[i] = MEMBERID_NIL;
  const FuncInfo* found = nullptr;
  for (const FuncInfo& func : m_funcs)
    if (SameName(func.name, rgszNames[0])) found = &func;
  if (!found) return DISP_E_UNKNOWNNAME;
  pMemId[0] = found->memid;
  // The names after the first are the member's parameters; their ids are their positions.
  HRESULT result = S_OK;
  for (UINT i = 1; i < cNames; ++i) {
    for (std::size_t p = 0; p < found->params.size(); ++p)
      if (SameName(found->params[p].name, rgszNames[i])) pMemId[i] = static_cast<MEMBERID>(p);
    if (pMemId[i] == MEMBERID_NIL) result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

HRESULT TypeInfo::GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                   DWORD* pdwHelpContext, BSTR* pBstrHelpFile) {
  const std::u16string* name = &m_name;
  const std::u16string* help = &m_help;
  if (memid != MEMBERID_NIL) {
    const FuncInfo* func = FindFunc(memid);
    if (!func) return TYPE_E_ELEMENTNOTFOUND;
    name = &func->name;
    help = &func->help;
  }
  if (pdwHelpContext) *pdwHelpContext = 0;
  if (pBstrHelpFile) *pBstrHelpFile = nullptr;
  if (pBstrDocString) *pBstrDocString = nullptr;
  if (!StoreBstr(pBstrName, *name)) return E_OUTOFMEMORY;
  if (!StoreBstr(pBstrDocString, *help)) {
    if (pBstrName) SysFreeString(*pBstrName);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT TypeInfo::GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) {
  if (!pRefType) return E_INVALIDARG;
  // Only a class's default interface is described here; the base interfaces of the library's
  // interfaces belong to the system's automation library.
  if (m_kind != TKIND_COCLASS || index != 0 || m_defaultInterface < 0)
    return TYPE_E_ELEMENTNOTFOUND;
  *pRefType = kLocalTypeFlag | static_cast<HREFTYPE>(m_defaultInterface);
  return S_OK;
}

HRESULT TypeInfo::GetImplTypeFlags(UINT index, INT* pImplTypeFlags) {
  if (!pImplTypeFlags) return E_INVALIDARG;
  if (m_kind != TKIND_COCLASS || index != 0 || m_defaultInterface < 0)
    return TYPE_E_ELEMENTNOTFOUND;
  *pImplTypeFlags = IMPLTYPEFLAG_FDEFAULT;
  return S_OK;
}

HRESULT TypeInfo::GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_INVALIDARG;
  *ppTInfo = nullptr;
  if (!(hRefType & kLocalTypeFlag)) return TYPE_E_ELEMENTNOTFOUND;
  return m_library.GetTypeInfo(hRefType & ~kLocalTypeFlag, ppTInfo);
}

HRESULT TypeInfo::GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) {
  if (ppTLib) {
    m_library.AddRef();
    *ppTLib = &m_library;
  }
  if (pIndex) *pIndex = m_index;
  return S_OK;
}

HRESULT TypeInfo::GetTypeComp(ITypeComp**) { return E_NOTIMPL; }
HRESULT TypeInfo::GetVarDesc(UINT, VARDESC**) { return TYPE_E_ELEMENTNOTFOUND; }
void TypeInfo::ReleaseVarDesc(VARDESC*) {}
HRESULT TypeInfo::GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) { return E_NOTIMPL; }
HRESULT TypeInfo::AddressOfMember(MEMBERID, INVOKEKIND, PVOID*) { return E_NOTIMPL; }
HRESULT TypeInfo::CreateInstance(IUnknown*, REFIID, PVOID*) { return E_NOTIMPL; }
HRESULT TypeInfo::GetMops(MEMBERID, BSTR* pBstrMops) {
  if (pBstrMops) *pBstrMops = nullptr;
  return S_OK;
}

}  // namespace swkv::posix
