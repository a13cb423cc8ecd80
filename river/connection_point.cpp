#include "river/connection_point.h"

#include <array>
#include <utility>

#include "river/copy_enumerator.h"
#include "river/river.h"

namespace swkv {

CRiverConnectionPoint::~CRiverConnectionPoint() {
  // Sinks still advised when the node goes are released; each is taken out of the table first,
  // since a sink's release may run code of its own.
  for (Sink& entry : m_sinks) {
    if (IRAIDEvent* sink = std::exchange(entry.sink, nullptr)) sink->Release();
  }
}

HRESULT CRiverConnectionPoint::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint))
    return E_NOINTERFACE;
  AddRef();
  *ppv = static_cast<IConnectionPoint*>(this);
  return S_OK;
}

ULONG CRiverConnectionPoint::AddRef() { return m_owner.AddRef(); }

ULONG CRiverConnectionPoint::Release() { return m_owner.Release(); }

HRESULT CRiverConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = IID_IRAIDEvent;
  return S_OK;
}

HRESULT CRiverConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** cpc) {
  if (!cpc) return E_POINTER;
  return m_owner.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(cpc));
}

DWORD CRiverConnectionPoint::NextCookie() {
  // Cookies are never 0 and never repeat one that is still advised.
  for (;;) {
    if (++m_lastCookie == 0) m_lastCookie = 1;
    bool inUse = false;
    for (const Sink& entry : m_sinks) inUse = inUse || (entry.sink && entry.cookie == m_lastCookie);
    if (!inUse) return m_lastCookie;
  }
}

HRESULT CRiverConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  IRAIDEvent* events = nullptr;
  HRESULT hr = sink->QueryInterface(IID_IRAIDEvent, reinterpret_cast<void**>(&events));
  if (FAILED(hr) || !events) {
    *cookie = 0;
    return hr == E_NOINTERFACE || SUCCEEDED(hr) ? CONNECT_E_CANNOTCONNECT : hr;
  }
  Sink* place = nullptr;
  for (Sink& entry : m_sinks) {
    if (!entry.sink) {
      place = &entry;
      break;
    }
  }
  if (!place) {
    // The table starts with room for one sink, grows to four, then doubles when full.
    std::size_t size = m_sinks.size();
    std::size_t grown = size == 0 ? 1 : size == 1 ? 4 : size * 2;
    try {
      m_sinks.resize(grown);
    } catch (const std::bad_alloc&) {
      events->Release();
      *cookie = 0;
      return CONNECT_E_ADVISELIMIT;
    }
    place = &m_sinks[size];
  }
  place->sink = events;
  place->cookie = NextCookie();
  *cookie = place->cookie;
  return S_OK;
}

HRESULT CRiverConnectionPoint::Unadvise(DWORD cookie) {
  for (Sink& entry : m_sinks) {
    if (entry.sink && entry.cookie == cookie && cookie != 0) {
      IRAIDEvent* sink = std::exchange(entry.sink, nullptr);
      entry.cookie = 0;
      sink->Release();
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT CRiverConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = nullptr;
  std::vector<CONNECTDATA> items;
  try {
    for (const Sink& entry : m_sinks)
      if (entry.sink) items.push_back({entry.sink, entry.cookie});
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *ppEnum = CCopyEnumerator<IEnumConnections, CONNECTDATA>::Create(IID_IEnumConnections, items);
  return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

void CRiverConnectionPoint::Fire(ULONG code) {
  // Call a snapshot of the table, each sink held for the length of its call: a sink may
  // unadvise itself or others, or advise new ones, from inside RAIDNotification.
  std::array<IRAIDEvent*, 8> small{};
  std::vector<IRAIDEvent*> large;
  IRAIDEvent** snapshot = small.data();
  std::size_t count = 0;
  std::size_t live = SinkCount();
  if (live > small.size()) {
    try {
      large.resize(live);
    } catch (const std::bad_alloc&) {
      return;
    }
    snapshot = large.data();
  }
  for (const Sink& entry : m_sinks) {
    if (entry.sink) {
      entry.sink->AddRef();
      snapshot[count++] = entry.sink;
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    snapshot[i]->RAIDNotification(code);
    snapshot[i]->Release();
  }
}

std::size_t CRiverConnectionPoint::SinkCount() const {
  std::size_t count = 0;
  for (const Sink& entry : m_sinks) count += entry.sink != nullptr;
  return count;
}

HRESULT CreateConnectionPointEnumerator(IConnectionPoint* point, IEnumConnectionPoints** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = nullptr;
  std::vector<IConnectionPoint*> items;
  try {
    items.push_back(point);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *ppEnum = CCopyEnumerator<IEnumConnectionPoints, IConnectionPoint*>::Create(
      IID_IEnumConnectionPoints, items);
  return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

}  // namespace swkv
