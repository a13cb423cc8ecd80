#include "tools/swkvctl/river_calls.h"

#include "tools/swkvctl/text.h"

namespace swkv::ctl {

namespace {

// Room for any text the component stores (names, model strings and values are far shorter); the
// component copies at most the buffer's length.
constexpr UINT kBufferLength = 4096;

bool IsAccess(std::string_view a) {
  if (a == "m--" || a == "o--") return true;
  return a.size() == 3 && a[0] == 'p' && (a[1] == 'r' || a[1] == '-') &&
         (a[2] == 'w' || a[2] == 'v' || a[2] == '-');
}

}  // namespace

bool ParseDirEntry(std::string_view text, Entry& entry) {
  for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
    if (at + 4 < text.size() && text[at + 4] == '@' && IsAccess(text.substr(at + 1, 3))) {
      entry.name = std::string(text.substr(0, at));
      entry.access = std::string(text.substr(at + 1, 3));
      entry.value = std::string(text.substr(at + 5));
      return !entry.name.empty();
    }
  }
  return false;
}

HRESULT ListEntries(IRiver* node, std::vector<Entry>& entries) {
  entries.clear();
  ComPtr<IUnknown> unknown;
  HRESULT status = node->dir(unknown.put());
  if (FAILED(status)) return status;
  if (!unknown) return E_POINTER;
  ComPtr<IEnumString> enumerator = unknown.As<IEnumString>(IID_IEnumString);
  if (!enumerator) return E_NOINTERFACE;
  // An empty node answers Reset with S_FALSE and has nothing to list.
  if (enumerator->Reset() != S_OK) return S_OK;
  UniqueBstr buffer = UniqueBstr::Buffer(kBufferLength);
  if (!buffer) return E_OUTOFMEMORY;
  for (;;) {
    buffer.get()[0] = 0;
    LPOLESTR element = buffer.get();
    ULONG fetched = 0;
    if (enumerator->Next(1, &element, &fetched) != S_OK || fetched != 1) break;
    Entry entry;
    if (ParseDirEntry(Utf8FromWide(buffer.get()), entry)) entries.push_back(std::move(entry));
  }
  return S_OK;
}

HRESULT GetValue(IRiver* node, std::string_view name, std::string& value) {
  UniqueBstr bname = BstrFromUtf8(name);
  UniqueBstr buffer = UniqueBstr::Buffer(kBufferLength);
  if (!bname || !buffer) return E_OUTOFMEMORY;
  BSTR agentBuffer = buffer.get();
  HRESULT status = node->get(bname.get(), &agentBuffer);
  value = Utf8FromWide(buffer.get());
  return status;
}

HRESULT SetValue(IRiver* node, std::string_view name, std::string_view value) {
  UniqueBstr bname = BstrFromUtf8(name);
  UniqueBstr bvalue = BstrFromUtf8(value);
  if (!bname || !bvalue) return E_OUTOFMEMORY;
  return node->set(bname.get(), bvalue.get(), 0);
}

HRESULT InvokeAction(IRiver* node, std::string_view name, std::string_view argument) {
  UniqueBstr bname = BstrFromUtf8(name);
  UniqueBstr bargument = BstrFromUtf8(argument);
  if (!bname || !bargument) return E_OUTOFMEMORY;
  return node->invoke(bname.get(), bargument.get());
}

ComPtr<IRiver> StepInto(IRiver* node, std::string_view name, HRESULT* status) {
  UniqueBstr bname = BstrFromUtf8(name);
  ComPtr<IUnknown> child;
  HRESULT result = bname ? node->cd(bname.get(), child.put()) : E_OUTOFMEMORY;
  if (status) *status = result;
  if (result != S_OK || !child) return {};
  ComPtr<IRiver> river = child.As<IRiver>(IID_IRiver);
  if (!river && status) *status = E_NOINTERFACE;
  return river;
}

ComPtr<IUnknown> IdentityOf(IUnknown* object) {
  ComPtr<IUnknown> identity;
  if (object) object->QueryInterface(IID_IUnknown, identity.put_void());
  return identity;
}

std::string KindName(int kind) {
  switch (kind) {
    case kKindRoot: return "root";
    case kKindController: return "controller";
    case kKindArray: return "array";
    case kKindChannel: return "channel";
    case kKindDisk: return "disk";
    case kKindEnclosure: return "enclosure";
    case kKindBay: return "drive bay";
    case kKindBattery: return "battery";
    default: return "kind " + std::to_string(kind);
  }
}

}  // namespace swkv::ctl
