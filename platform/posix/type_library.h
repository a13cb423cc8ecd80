// The type library objects of the POSIX build: an ITypeLib and its ITypeInfos, made from a
// module's library description (typelib_resource.h). They copy the whole description, so that
// they stay usable after the module that carried it is unloaded; only the method calls point
// into the module, and they are made only on an instance of the module's own objects.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/type_info.h"

namespace swkv::posix {

class TypeLibrary final : public ITypeLib {
 public:
  // A library with a count of 1 for the caller; throws std::bad_alloc when memory runs out.
  explicit TypeLibrary(const SWKV_TLIB& description);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  UINT STDMETHODCALLTYPE GetTypeInfoCount() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, ITypeInfo** ppTInfo) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoType(UINT index, TYPEKIND* pTKind) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) override;
  HRESULT STDMETHODCALLTYPE GetLibAttr(TLIBATTR** ppTLibAttr) override;
  HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp** ppTComp) override;
  HRESULT STDMETHODCALLTYPE GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString,
                                             DWORD* pdwHelpContext,
                                             BSTR* pBstrHelpFile) override;
  HRESULT STDMETHODCALLTYPE IsName(LPOLESTR szNameBuf, ULONG lHashVal, BOOL* pfName) override;
  HRESULT STDMETHODCALLTYPE FindName(LPOLESTR szNameBuf, ULONG lHashVal, ITypeInfo** ppTInfo,
                                     MEMBERID* rgMemId, USHORT* pcFound) override;
  void STDMETHODCALLTYPE ReleaseTLibAttr(TLIBATTR* pTLibAttr) override;

  TypeInfo* type(UINT index) const {
    return index < m_types.size() ? m_types[index].get() : nullptr;
  }

 private:
  ~TypeLibrary() = default;

  std::atomic<ULONG> m_refs{1};
  TLIBATTR m_attr{};
  std::u16string m_name;
  std::u16string m_help;
  std::vector<std::unique_ptr<TypeInfo>> m_types;
};

}  // namespace swkv::posix
