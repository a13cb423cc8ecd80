// An enumerator over a snapshot of interface-holding items (connections, connection points).
// Each item in the snapshot holds its own reference, and so does each item handed out.
#pragma once

#include <new>
#include <vector>

#include "com/module_lock.h"
#include "platform/win.h"

namespace swkv {

template <class Item>
struct ItemTraits;

template <>
struct ItemTraits<CONNECTDATA> {
  static IUnknown* Unknown(const CONNECTDATA& item) { return item.pUnk; }
};

template <>
struct ItemTraits<IConnectionPoint*> {
  static IUnknown* Unknown(IConnectionPoint* item) { return item; }
};

template <class Interface, class Item>
class CCopyEnumerator final : public Interface {
 public:
  // A new enumerator with one reference for the caller; null when no memory is left.
  static CCopyEnumerator* Create(const IID& iid, const std::vector<Item>& items,
                                 std::size_t index = 0) {
    auto* created = new (std::nothrow) CCopyEnumerator(iid);
    if (!created) return nullptr;
    try {
      created->m_items = items;
    } catch (const std::bad_alloc&) {
      delete created;
      return nullptr;
    }
    for (const Item& item : created->m_items) ItemTraits<Item>::Unknown(item)->AddRef();
    created->m_index = index;
    created->m_refs = 1;
    return created;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, m_iid)) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<Interface*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
    if (count > 0 && !out) return E_POINTER;
    ULONG done = 0;
    while (done < count && m_index < m_items.size()) {
      out[done] = m_items[m_index++];
      ItemTraits<Item>::Unknown(out[done])->AddRef();
      ++done;
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    std::size_t left = m_items.size() - m_index;
    if (count > left) {
      m_index = m_items.size();
      return S_FALSE;
    }
    m_index += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    m_index = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Interface** ppEnum) override {
    if (!ppEnum) return E_POINTER;
    *ppEnum = Create(m_iid, m_items, m_index);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
  }

 private:
  explicit CCopyEnumerator(const IID& iid) : m_iid(iid) {}
  ~CCopyEnumerator() {
    for (const Item& item : m_items) ItemTraits<Item>::Unknown(item)->Release();
  }

  ModuleLock m_moduleLock;
  const IID& m_iid;
  ULONG m_refs = 0;
  std::vector<Item> m_items;
  std::size_t m_index = 0;
};

}  // namespace swkv
