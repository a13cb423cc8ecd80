// The agent's side of the interfaces, for tests: reading and writing through IRiver with
// buffers the agent owns, listing with the dir enumerator, and a sink that records
// notifications.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/event_sink.h"
#include "mxaraid/interfaces.h"

namespace swkv::test {

// The single-byte text of a zero-terminated wide text.
std::string Narrow(const OLECHAR* text);

// A number as sessions show it: "0x" and at least width hexadecimal digits.
std::string Hex(unsigned long value, int width = 0);
// A status as sessions show it: its name, or its number as 0xXXXXXXXX.
std::string StatusName(HRESULT status);

// Dispatches what the thread's queue holds now, as the agent's message loop does; the number of
// messages.
int PumpMessages();

// get into an agent buffer of the given length; the text as the agent would see it (empty for no
// node).
std::string Get(IRiver* node, std::string_view name, UINT bufferLength = 1024);
HRESULT Invoke(IRiver* node, std::string_view name, std::string_view argument = {});
// cd to a child; null when refused.
ComPtr<IRiver> Cd(IRiver* node, std::string_view name);
// cd along a path of link names ("HBA2/ch4/slave"); null when a step is refused.
ComPtr<IRiver> CdPath(IRiver* node, std::string_view path);
// Every dir entry, in order (dir, Reset, Next one at a time).
std::vector<std::string> Dir(IRiver* node);
// Every entry of the enumerator that dir gave (Reset, Next one at a time).
std::vector<std::string> Entries(IUnknown* listing);
// The entry "name@access@value" of one name, or empty when there is none.
std::string Entry(IRiver* node, std::string_view name);
// The number part of the node's handle ("1234;28" gives "1234"), as an action's argument names
// the node; empty for no node (Get gives nothing then).
std::string HandleNumber(IRiver* node);

// What one ReadEventLog call gave the agent.
struct ReadResult {
  HRESULT status = E_UNEXPECTED;
  bool null = false;       // the string came back null
  bool untouched = false;  // the agent's string was left as it was
  std::string record;      // the record, when there was one
};
// One ReadEventLog call, with the agent's string set to a text of its own before it.
ReadResult Read(IEventLog* log, ULONG* size = nullptr);
// The record with its time field (the second) replaced by "T", once that field was checked to
// be a decimal number; the record unchanged when it has no such field.
std::string WithoutTime(const std::string& record);

// An IRAIDEvent sink that records every code it receives.
class RecordingSink final : public CEventSink {
 public:
  static ComPtr<RecordingSink> Create();

  HRESULT STDMETHODCALLTYPE RAIDNotification(ULONG code) override;

  // Subscribes to the node's connection point; returns the cookie (0 on failure).
  DWORD AdviseOn(IRiver* node);

  std::vector<ULONG> codes;
  // Runs inside RAIDNotification, after the code is recorded.
  std::function<void(ULONG)> onNotify;

 private:
  RecordingSink() = default;
  ~RecordingSink() override = default;
};

}  // namespace swkv::test
