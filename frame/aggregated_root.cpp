#include "frame/aggregated_root.h"

#include <new>

#include "river/river.h"

namespace swkv {

CAggregatedRoot* CAggregatedRoot::Create(IUnknown* outer, CRiver* root) noexcept {
  return new (std::nothrow) CAggregatedRoot(outer, root);
}

CAggregatedRoot::CAggregatedRoot(IUnknown* outer, CRiver* root) : m_root(root) {
  m_root->SetOuterUnknown(outer);
  m_root->InnerAddRef();
}

CAggregatedRoot::~CAggregatedRoot() {
  // Whatever the teardown does to the node's count must not reach the outer object, which is
  // going away.
  m_root->SetOuterUnknown(nullptr);
  m_root->InnerRelease();
}

HRESULT CAggregatedRoot::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown)) {
    AddRef();
    *ppv = static_cast<IUnknown*>(this);
    return S_OK;
  }
  return m_root->InnerQueryInterface(riid, ppv);
}

ULONG CAggregatedRoot::AddRef() { return ++m_refs; }

ULONG CAggregatedRoot::Release() {
  ULONG refs = --m_refs;
  if (refs == 0) delete this;
  return refs;
}

}  // namespace swkv
