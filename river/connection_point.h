// The connection point every node carries for the outgoing interface IRAIDEvent, with its sink
// table and the IRAIDEvent calls of FireNotification.
#pragma once

#include <vector>

#include "platform/win.h"
#include "mxaraid/interfaces.h"

namespace swkv {

class CRiver;

class CRiverConnectionPoint final : public IConnectionPoint {
 public:
  explicit CRiverConnectionPoint(CRiver& owner) : m_owner(owner) {}
  ~CRiverConnectionPoint();  // releases every sink still advised
  CRiverConnectionPoint(const CRiverConnectionPoint&) = delete;
  CRiverConnectionPoint& operator=(const CRiverConnectionPoint&) = delete;

  // IUnknown: the connection point lives inside its node and shares the node's count.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** cpc) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;

  // Calls RAIDNotification(code) on every sink, in table order, ignoring the results. A sink may
  // unadvise, advise or release the node from inside its call.
  void Fire(ULONG code);

  std::size_t SinkCount() const;

 private:
  struct Sink {
    IRAIDEvent* sink = nullptr;
    DWORD cookie = 0;
  };
  DWORD NextCookie();

  CRiver& m_owner;
  std::vector<Sink> m_sinks;
  DWORD m_lastCookie = 0;
};

// An enumerator over the node's one connection point.
HRESULT CreateConnectionPointEnumerator(IConnectionPoint* point, IEnumConnectionPoints** ppEnum);

}  // namespace swkv
