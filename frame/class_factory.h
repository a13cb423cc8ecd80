// CClassFactory: the class object of a class of the module's table. The table keeps one
// reference on it; while anyone else holds one as well (its count above 1) it holds a lock on
// the module, so that a host that keeps the factory keeps the module loaded.
#pragma once

#include <mutex>

#include "platform/win.h"

namespace swkv {

class CClassFactory final : public IClassFactory {
 public:
  // Makes an instance for CreateInstance, once its arguments are checked: outer is null, or the
  // interface asked for is IUnknown.
  using Creator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

  // A factory with one reference, for the class table; null when memory ran out.
  static CClassFactory* Create(Creator creator) noexcept;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // E_POINTER for a null out-pointer; CLASS_E_NOAGGREGATION for an outer object with an
  // interface other than IUnknown; else the creator's result.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
  // A nonzero flag takes a module lock, zero gives one back.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  explicit CClassFactory(Creator creator) : m_creator(creator) {}
  ~CClassFactory() = default;

  // The count may change on any thread of the process.
  std::mutex m_lock;
  ULONG m_refs = 1;
  Creator m_creator;
};

}  // namespace swkv
