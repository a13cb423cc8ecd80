// The controller's event log as IEventLog hands it out: one record at a time, in the form
// "category@time@severity@name@text".
#pragma once

#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"

namespace swkv::ctl {

struct EventRecord {
  std::string raw;  // as read
  bool parsed = false;
  long long category = 0;
  long long time = 0;  // seconds since 1970 (UTC): when the record was read
  long long severity = 0;
  std::string name;
  std::string text;

  // "error" (3), "warning" (2), "info" (1), or the number.
  std::string SeverityWord() const;
  // "2024-06-01 12:00:31" (UTC).
  std::string TimeText() const;
};

// Splits a record; the text is everything after the fourth '@' (it may hold '@' itself).
bool ParseEventRecord(const std::string& raw, EventRecord& record);

// The record for scripts: {"time": "2026-12-06 11:44:00", "timestamp": N, "severity": 3,
// "severityWord": "error", "category": N, "name": ..., "text": ..., ...}; a record that does
// not parse has its raw text only.
std::string EventJson(const EventRecord& record);

// The controller node's IEventLog; null when the node has none.
ComPtr<IEventLog> EventLogOf(IRiver* controller);

// Reads the new records: GetNewCount, then ReadEventLog that many times, never more than the 20
// a controller keeps (reading past them is not defined). S_OK, or the failing call's status with
// the records read before it.
HRESULT ReadNewEvents(IEventLog* log, std::vector<EventRecord>& records);

}  // namespace swkv::ctl
