// The controller node's IEventLog: the agent counts the new events of the last batch, reads them
// one text record at a time, and clears the controller's log.
#pragma once

#include <cstdint>

#include "events/event_slots.h"
#include "mxaraid/interfaces.h"

namespace swkv {

class CEventLog : public IEventLog {
 public:
  // IDispatch, through the type library's description of IEventLog.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                   UINT* argErr) override;

  // IEventLog
  HRESULT STDMETHODCALLTYPE GetNewCount(ULONG* pNewCount) override;
  // The record "category@time@severity@name@text" of the next slot, in a string the caller
  // frees. Past the batch (or the slots) there is no record: S_FALSE and a null string.
  HRESULT STDMETHODCALLTYPE ReadEventLog(BSTR* pBuf, ULONG* pSize) override;
  // Clears the log of whichever controller the library has selected.
  HRESULT STDMETHODCALLTYPE ClearLog() override;

  EventLogState& event_log() { return m_log; }

 protected:
  CEventLog() = default;
  ~CEventLog() = default;
  // The controller whose library selection a read needs.
  virtual std::int32_t event_log_controller() const = 0;

 private:
  EventLogState m_log;
};

// The record of one slot, read at time seconds since 1970.
std::string FormatEventRecord(const EventSlot& slot, std::int64_t time);

}  // namespace swkv
