#include "com/type_info_holder.h"

#include <cstring>
#include <mutex>
#include <new>

#include "com/module.h"
#include "com/script_arguments.h"
#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"

namespace swkv {

HRESULT CTypeInfoHolder::LoadFromRegisteredLibrary(REFIID iid, LCID lcid, ITypeInfo** info) {
  ComPtr<ITypeLib> library;
  if (HRESULT hr = LoadRegTypeLib(LIBID_MXARAIDLib, 1, 0, lcid, library.put()); FAILED(hr))
    return hr;
  return library->GetTypeInfoOfGuid(iid, info);
}

HRESULT CTypeInfoHolder::EnsureLoaded(LCID lcid) {
  std::lock_guard lock(Module().critical_section());
  if (m_info) return S_OK;
  ComPtr<ITypeInfo> info;
  if (HRESULT hr = m_loader(*m_iid, lcid, info.put()); FAILED(hr)) return hr;
  if (!info) return E_UNEXPECTED;
  CachedName* names = nullptr;
  UINT count = 0;
  if (HRESULT hr = BuildNameCache(info.get(), names, count); FAILED(hr)) return hr;
  if (!Module().AddTermFunc(&CleanUp, this)) {
    FreeNames(names, count);
    return E_OUTOFMEMORY;
  }
  m_info = info.Detach();
  m_names = names;
  m_nameCount = count;
  return S_OK;
}

HRESULT CTypeInfoHolder::BuildNameCache(ITypeInfo* info, CachedName*& names, UINT& count) {
  TYPEATTR* attr = nullptr;
  if (HRESULT hr = info->GetTypeAttr(&attr); FAILED(hr)) return hr;
  const UINT funcs = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  names = funcs ? new (std::nothrow) CachedName[funcs] : nullptr;
  count = 0;
  if (funcs && !names) return E_OUTOFMEMORY;
  for (UINT index = 0; index < funcs; ++index) {
    FUNCDESC* desc = nullptr;
    HRESULT hr = info->GetFuncDesc(index, &desc);
    if (FAILED(hr)) {
      FreeNames(names, count);
      return hr;
    }
    const MEMBERID memid = desc->memid;
    info->ReleaseFuncDesc(desc);
    UniqueBstr name;
    hr = info->GetDocumentation(memid, name.put(), nullptr, nullptr, nullptr);
    if (FAILED(hr)) {
      FreeNames(names, count);
      return hr;
    }
    names[count].length = SysStringLen(name.get());
    names[count].id = memid;
    names[count].name = name.release();
    ++count;
  }
  return S_OK;
}

void CTypeInfoHolder::FreeNames(CachedName* names, UINT count) noexcept {
  for (UINT i = 0; i < count; ++i) SysFreeString(names[i].name);
  delete[] names;
}

void CTypeInfoHolder::CleanUp(void* holder) noexcept {
  static_cast<CTypeInfoHolder*>(holder)->Clear();
}

void CTypeInfoHolder::Clear() noexcept {
  std::lock_guard lock(Module().critical_section());
  if (m_info) m_info->Release();
  m_info = nullptr;
  FreeNames(m_names, m_nameCount);
  m_names = nullptr;
  m_nameCount = 0;
}

HRESULT CTypeInfoHolder::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  if (HRESULT hr = EnsureLoaded(lcid); FAILED(hr)) return hr;
  m_info->AddRef();
  *info = m_info;
  return S_OK;
}

HRESULT CTypeInfoHolder::GetIDsOfNames(LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
  if (HRESULT hr = EnsureLoaded(lcid); FAILED(hr)) return hr;
  if (count && (!names || !ids)) return E_INVALIDARG;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count && SUCCEEDED(hr); ++i) {
    UINT length = 0;
    while (names[i] && names[i][length] != 0) ++length;
    const CachedName* match = nullptr;
    for (UINT j = 0; j < m_nameCount && !match; ++j) {
      const CachedName& cached = m_names[j];
      if (cached.length == length &&
          std::memcmp(cached.name, names[i], length * sizeof(OLECHAR)) == 0)
        match = &cached;
    }
    if (match)
      ids[i] = match->id;
    else
      hr = m_info->GetIDsOfNames(names + i, 1, ids + i);
  }
  return hr;
}

HRESULT CTypeInfoHolder::Invoke(IDispatch* instance, DISPID id, LCID lcid, WORD flags,
                                DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                UINT* argErr) {
  if (HRESULT hr = EnsureLoaded(lcid); FAILED(hr)) return hr;
  ScriptArguments arguments;
  if (HRESULT hr = arguments.Prepare(m_info, id, params, argErr); FAILED(hr)) return hr;
  HRESULT hr = m_info->Invoke(instance, id, flags, arguments.params(), result, excepInfo, argErr);
  arguments.Finish();
  return hr;
}

}  // namespace swkv
