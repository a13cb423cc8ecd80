// Table-driven QueryInterface: a class states which interfaces it answers, in order, and one
// function walks the table. IUnknown is answered with the first entry, which is therefore the
// object's identity.
#pragma once

#include <span>

#include "platform/win.h"

namespace swkv {

class CRiver;

// One row: an interface identifier and the conversion of the node to that interface. The
// conversion starts from the node base, so it holds whatever place the base has in the class.
struct InterfaceEntry {
  const IID* iid;
  IUnknown* (*cast)(CRiver* self);
};

// The entry for interface I of a node of class T (T derives from CRiver).
template <class T, class I>
constexpr InterfaceEntry Entry(const IID& iid) {
  return {&iid, [](CRiver* self) -> IUnknown* { return static_cast<I*>(static_cast<T*>(self)); }};
}

// Looks iid up in the table; on a match stores the interface with one reference added.
inline HRESULT QueryInterfaceFromTable(CRiver* self, std::span<const InterfaceEntry> table,
                                       REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (table.empty()) return E_NOINTERFACE;
  const InterfaceEntry* found = nullptr;
  if (IsEqualIID(iid, IID_IUnknown)) {
    found = &table.front();
  } else {
    for (const InterfaceEntry& entry : table) {
      if (IsEqualIID(iid, *entry.iid)) {
        found = &entry;
        break;
      }
    }
  }
  if (!found) return E_NOINTERFACE;
  IUnknown* itf = found->cast(self);
  itf->AddRef();
  *ppv = itf;
  return S_OK;
}

}  // namespace swkv
