// CAggregatedRoot: the main class made inside an outer object. It is the non-delegating
// IUnknown the outer object holds: it answers IUnknown itself and hands out the other
// interfaces from the root node's own table, while the node's IUnknown methods go to the outer
// object.
#pragma once

#include "platform/win.h"

namespace swkv {

class CRiver;

class CAggregatedRoot final : public IUnknown {
 public:
  // Takes root (reference count 0) into a new wrapper (count 0); null when memory ran out, and
  // then root is left as it was.
  static CAggregatedRoot* Create(IUnknown* outer, CRiver* root) noexcept;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

 private:
  CAggregatedRoot(IUnknown* outer, CRiver* root);
  // Gives the node its own IUnknown back and releases it (the tree's teardown).
  ~CAggregatedRoot();

  ULONG m_refs = 0;
  CRiver* m_root;
};

}  // namespace swkv
