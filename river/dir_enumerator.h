// The IEnumString that `dir` returns: it walks the node's live drop list and yields one dir
// entry per drop, keeping only a position, and holds the node alive while it exists.
//
// Each enumerator handed out is an object of its own, with its own count and position, and holds
// a module lock. When its count falls to 0 it gives up the node and the lock and goes to the
// node's spares (river/dir_enumerator_spares.h), from which the node's next `dir` or Clone takes
// it again; so an agent that lists a node over and over allocates nothing after the first time.
#pragma once

#include "platform/com_ptr.h"
#include "river/river.h"

namespace swkv {

class CDirEnumerator final : public IEnumString {
 public:
  // An enumerator (count 0) on the node at the position, one of the node's spares when it keeps
  // one; null when no memory is left.
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
  friend class DirEnumeratorSpares;  // deletes the spares a node still keeps

  CDirEnumerator() = default;
  ~CDirEnumerator() = default;
  // The count fell to 0: back to the node's spares (or deleted when it keeps enough), then the
  // node is released, which may delete the node and with it this object.
  void Retire();
  // Moves past the drop at the position; false when the position was empty or at the end.
  bool Step(CDrop** drop);

  ULONG m_refs = 0;
  ComPtr<CRiver> m_node;  // null while the enumerator is a spare
  DropPosition m_position;
};

}  // namespace swkv
