// The IEnumString that `dir` returns: it walks the node's live drop list and yields one dir
// entry per drop, keeping only a position, and holds the node alive while it exists.
#pragma once

#include "frame/module_lock.h"
#include "platform/com_ptr.h"
#include "river/river.h"

namespace swkv {

class CDirEnumerator final : public IEnumString {
 public:
  // A new enumerator (count 0) on the node at the position; null when no memory is left.
  static CDirEnumerator* Create(CRiver* node, DropPosition position = {});

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // Copies each entry into the agent's buffer in rgelt[i], never past that BSTR's length.
  HRESULT STDMETHODCALLTYPE Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumString** ppenum) override;

 private:
  CDirEnumerator(CRiver* node, DropPosition position) : m_node(node), m_position(position) {}
  ~CDirEnumerator() = default;
  // Moves past the drop at the position; false when the position was empty or at the end.
  bool Step(CDrop** drop);

  ModuleLock m_moduleLock;
  ULONG m_refs = 0;
  ComPtr<CRiver> m_node;
  DropPosition m_position;
};

}  // namespace swkv
