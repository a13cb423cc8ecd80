#include "events/event_log.h"

#include <cstdio>
#include <string>

#include "com/dispatch.h"
#include "platform/com_ptr.h"
#include "platform/system_time.h"
#include "raidlib/selection.h"
#include "river/agent_call.h"

namespace swkv {

namespace {

// Seconds since 1970 from the system time.
std::int64_t UnixTimeNow() { return UnixMillisecondsNow() / 1000; }

}  // namespace

std::string FormatEventRecord(const EventSlot& slot, std::int64_t time) {
  std::string record;
  int length = std::snprintf(nullptr, 0, "%d@%d@%d@%s@%s", static_cast<std::int32_t>(slot.category),
                             static_cast<std::int32_t>(time), static_cast<std::int32_t>(slot.severity),
                             slot.name.c_str(), slot.text.c_str());
  if (length <= 0) return record;
  record.resize(static_cast<std::size_t>(length));
  std::snprintf(record.data(), record.size() + 1, "%d@%d@%d@%s@%s",
                static_cast<std::int32_t>(slot.category), static_cast<std::int32_t>(time),
                static_cast<std::int32_t>(slot.severity), slot.name.c_str(), slot.text.c_str());
  return record;
}

HRESULT CEventLog::GetTypeInfoCount(UINT* count) { return DispatchGetTypeInfoCount(count); }

HRESULT CEventLog::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
  return DispatchGetTypeInfo(IID_IEventLog, index, lcid, info);
}

HRESULT CEventLog::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
  return DispatchGetIDsOfNames(IID_IEventLog, names, count, lcid, ids);
}

HRESULT CEventLog::Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                          VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
  return DispatchInvoke(IID_IEventLog, static_cast<IEventLog*>(this), id, lcid, flags, params,
                        result, excepInfo, argErr);
}

HRESULT CEventLog::GetNewCount(ULONG* pNewCount) {
  if (!pNewCount) return E_POINTER;
  *pNewCount = m_log.newCount;
  return S_OK;
}

HRESULT CEventLog::ReadEventLog(BSTR* pBuf, ULONG*) {
  AgentCall call;
  if (!pBuf) return E_POINTER;
  *pBuf = nullptr;
  if (!SelectController(event_log_controller())) return E_FAIL;
  // Only the records of the last batch can be read, and never beyond the slots.
  if (m_log.newCount == 0 || m_log.readPosition >= EventLogState::kSlots) return S_FALSE;
  std::string record;
  try {
    record = FormatEventRecord(m_log.slots[m_log.readPosition], UnixTimeNow());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  UniqueBstr text = UniqueBstr::FromAnsi(record);
  if (!text) return E_OUTOFMEMORY;
  *pBuf = text.release();
  ++m_log.readPosition;
  --m_log.newCount;
  return S_OK;
}

HRESULT CEventLog::ClearLog() {
  AgentCall call;
  raClearLog();
  return S_OK;
}

}  // namespace swkv
