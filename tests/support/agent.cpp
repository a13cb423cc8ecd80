#include "tests/support/agent.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/text.h"
#include "platform/win.h"

namespace swkv::test {

std::string Hex(unsigned long value, int width) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*lX", width, value);
  return text;
}

std::string StatusName(HRESULT status) {
  static const std::pair<HRESULT, const char*> kNames[] = {
      {S_OK, "S_OK"},
      {S_FALSE, "S_FALSE"},
      {E_POINTER, "E_POINTER"},
      {E_INVALIDARG, "E_INVALIDARG"},
      {E_NOINTERFACE, "E_NOINTERFACE"},
      {DISP_E_UNKNOWNNAME, "DISP_E_UNKNOWNNAME"},
      {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT"},
      {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
      {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND"},
      {DISP_E_EXCEPTION, "DISP_E_EXCEPTION"},
      {DISP_E_BADINDEX, "DISP_E_BADINDEX"},
      {DISP_E_OVERFLOW, "DISP_E_OVERFLOW"},
      {TYPE_E_LIBNOTREGISTERED, "TYPE_E_LIBNOTREGISTERED"},
      {TYPE_E_CANTLOADLIBRARY, "TYPE_E_CANTLOADLIBRARY"},
      {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
      {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
      {CONNECT_E_NOCONNECTION, "CONNECT_E_NOCONNECTION"},
      {CONNECT_E_CANNOTCONNECT, "CONNECT_E_CANNOTCONNECT"}};
  for (const auto& [value, name] : kNames)
    if (value == status) return name;
  return Hex(static_cast<std::uint32_t>(status), 8);
}

int PumpMessages() {
  int count = 0;
  for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++count) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return count;
}

std::string Narrow(const OLECHAR* text) {
  if (!text) return {};
  return std::string(AnsiText(text, std::char_traits<OLECHAR>::length(text)).view());
}

std::string Get(IRiver* node, std::string_view name, UINT bufferLength) {
  if (!node) return {};
  UniqueBstr bname = UniqueBstr::FromAnsi(name);
  UniqueBstr buffer = UniqueBstr::Buffer(bufferLength);
  BSTR agentBuffer = buffer.get();
  node->get(bname.get(), &agentBuffer);
  return Narrow(buffer.get());
}

HRESULT Invoke(IRiver* node, std::string_view name, std::string_view argument) {
  UniqueBstr bname = UniqueBstr::FromAnsi(name);
  UniqueBstr bargument = UniqueBstr::FromAnsi(argument);
  return node->invoke(bname.get(), bargument.get());
}

ComPtr<IRiver> Cd(IRiver* node, std::string_view name) {
  UniqueBstr bname = UniqueBstr::FromAnsi(name);
  ComPtr<IUnknown> child;
  if (node->cd(bname.get(), child.put()) != S_OK || !child) return {};
  return child.As<IRiver>(IID_IRiver);
}

ComPtr<IRiver> CdPath(IRiver* node, std::string_view path) {
  ComPtr<IRiver> at(node);
  while (at && !path.empty()) {
    const std::size_t slash = path.find('/');
    at = Cd(at.get(), path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  return at;
}

std::vector<std::string> Dir(IRiver* node) {
  ComPtr<IUnknown> listing;
  if (FAILED(node->dir(listing.put()))) return {};
  return Entries(listing.get());
}

std::vector<std::string> Entries(IUnknown* listing) {
  std::vector<std::string> entries;
  ComPtr<IEnumString> enumerator = ComPtr<IUnknown>(listing).As<IEnumString>(IID_IEnumString);
  if (!enumerator || enumerator->Reset() != S_OK) return entries;
  for (;;) {
    // The agent lists into a buffer it used before: whatever Next leaves unwritten shows.
    UniqueBstr buffer = UniqueBstr::Buffer(1024);
    std::fill(buffer.get(), buffer.get() + 1024, static_cast<OLECHAR>('#'));
    LPOLESTR element = buffer.get();
    ULONG fetched = 0;
    if (enumerator->Next(1, &element, &fetched) != S_OK || fetched != 1) break;
    entries.push_back(Narrow(buffer.get()));
  }
  return entries;
}

std::string Entry(IRiver* node, std::string_view name) {
  for (const std::string& entry : Dir(node))
    if (entry.substr(0, entry.find('@')) == name) return entry;
  return {};
}

std::string HandleNumber(IRiver* node) {
  const std::string handle = Get(node, "handle");
  return handle.substr(0, handle.find(';'));
}

ReadResult Read(IEventLog* log, ULONG* size) {
  static OLECHAR sentinel[] = {'x', 0};
  BSTR buffer = sentinel;
  ReadResult result;
  result.status = log->ReadEventLog(&buffer, size);
  result.null = buffer == nullptr;
  result.untouched = buffer == sentinel;
  if (buffer && buffer != sentinel) {
    UniqueBstr owned(buffer);
    result.record = Narrow(owned.get());
  }
  return result;
}

std::string WithoutTime(const std::string& record) {
  std::size_t first = record.find('@');
  if (first == std::string::npos) return record;
  std::size_t second = record.find('@', first + 1);
  if (second == std::string::npos) return record;
  std::string time = record.substr(first + 1, second - first - 1);
  if (time.empty() || time.find_first_not_of("0123456789") != std::string::npos) return record;
  return record.substr(0, first + 1) + "T" + record.substr(second);
}

ComPtr<RecordingSink> RecordingSink::Create() { return ComPtr<RecordingSink>(new RecordingSink); }

HRESULT RecordingSink::RAIDNotification(ULONG code) {
  codes.push_back(code);
  if (onNotify) onNotify(code);
  return S_OK;
}

DWORD RecordingSink::AdviseOn(IRiver* node) {
  ComPtr<IConnectionPointContainer> container;
  if (FAILED(node->QueryInterface(IID_IConnectionPointContainer, container.put_void()))) return 0;
  ComPtr<IConnectionPoint> point;
  if (FAILED(container->FindConnectionPoint(IID_IRAIDEvent, point.put()))) return 0;
  DWORD cookie = 0;
  point->Advise(static_cast<IRAIDEvent*>(this), &cookie);
  return cookie;
}

}  // namespace swkv::test
