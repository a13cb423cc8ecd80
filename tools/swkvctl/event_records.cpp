#include "tools/swkvctl/event_records.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "tools/swkvctl/json_text.h"
#include "tools/swkvctl/text.h"

namespace swkv::ctl {

namespace {

// A controller node keeps the decoded events of one batch in this many slots.
constexpr ULONG kEventSlots = 20;

bool ReadNumber(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, 10);
  return end && *end == '\0';
}

}  // namespace

std::string EventRecord::SeverityWord() const {
  switch (severity) {
    case 3: return "error";
    case 2: return "warning";
    case 1: return "info";
    default: return "severity " + std::to_string(severity);
  }
}

std::string EventRecord::TimeText() const {
  const std::time_t seconds = static_cast<std::time_t>(time);
  std::tm utc{};
#ifdef _WIN32
  if (gmtime_s(&utc, &seconds) != 0) return std::to_string(time);
#else
  if (!gmtime_r(&seconds, &utc)) return std::to_string(time);
#endif
  char shown[32];
  std::strftime(shown, sizeof shown, "%Y-%m-%d %H:%M:%S", &utc);
  return shown;
}

bool ParseEventRecord(const std::string& raw, EventRecord& record) {
  record = EventRecord{};
  record.raw = raw;
  std::size_t cuts[4];
  std::size_t from = 0;
  for (std::size_t& cut : cuts) {
    cut = raw.find('@', from);
    if (cut == std::string::npos) return false;
    from = cut + 1;
  }
  if (!ReadNumber(raw.substr(0, cuts[0]), record.category) ||
      !ReadNumber(raw.substr(cuts[0] + 1, cuts[1] - cuts[0] - 1), record.time) ||
      !ReadNumber(raw.substr(cuts[1] + 1, cuts[2] - cuts[1] - 1), record.severity))
    return false;
  record.name = raw.substr(cuts[2] + 1, cuts[3] - cuts[2] - 1);
  record.text = raw.substr(cuts[3] + 1);
  record.parsed = true;
  return true;
}

ComPtr<IEventLog> EventLogOf(IRiver* controller) {
  ComPtr<IEventLog> log;
  if (controller) controller->QueryInterface(IID_IEventLog, log.put_void());
  return log;
}

HRESULT ReadNewEvents(IEventLog* log, std::vector<EventRecord>& records) {
  ULONG count = 0;
  HRESULT status = log->GetNewCount(&count);
  if (FAILED(status)) return status;
  if (count > kEventSlots) count = kEventSlots;
  for (ULONG i = 0; i < count; ++i) {
    UniqueBstr record;
    ULONG size = 0;
    status = log->ReadEventLog(record.put(), &size);
    if (FAILED(status)) return status;
    EventRecord parsed;
    ParseEventRecord(Utf8FromWide(record.get(), record ? record.size() : 0), parsed);
    records.push_back(std::move(parsed));
  }
  return S_OK;
}

std::string EventJson(const EventRecord& record) {
  if (!record.parsed) return "{\"raw\": " + JsonString(record.raw) + "}";
  return "{\"time\": " + JsonString(record.TimeText()) +
         ", \"timestamp\": " + std::to_string(record.time) +
         ", \"severity\": " + std::to_string(record.severity) +
         ", \"severityWord\": " + JsonString(record.SeverityWord()) +
         ", \"category\": " + std::to_string(record.category) + ", \"name\": " +
         JsonString(record.name) + ", \"text\": " + JsonString(record.text) + "}";
}

}  // namespace swkv::ctl
