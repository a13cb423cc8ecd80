#include "tests/wine/com_client.h"

#include <algorithm>

#include "tests/support/agent.h"

namespace swkv::client {

namespace {

DISPID IdOf(IDispatch* target, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
    return DISPID_UNKNOWN;
  return id;
}

// IDispatch::Invoke of a method with the arguments given first first.
HRESULT CallMethod(IDispatch* target, const wchar_t* method, std::vector<VARIANT> args) {
  DISPID id = IdOf(target, method);
  if (id == DISPID_UNKNOWN) return DISP_E_UNKNOWNNAME;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                        nullptr, nullptr);
}

VARIANT Text(BSTR text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = text;
  return value;
}

VARIANT Reference(BSTR* text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR | VT_BYREF;
  value.pbstrVal = text;
  return value;
}

VARIANT Reference(IUnknown** object) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_UNKNOWN | VT_BYREF;
  value.ppunkVal = object;
  return value;
}

std::vector<std::string> ListEnumerator(IUnknown* listing) {
  std::vector<std::string> entries;
  ComPtr<IEnumString> enumerator = ComPtr<IUnknown>(listing).As<IEnumString>(IID_IEnumString);
  if (!enumerator || enumerator->Reset() != S_OK) return entries;
  for (;;) {
    UniqueBstr buffer = UniqueBstr::Buffer(1024);
    LPOLESTR element = buffer.get();
    ULONG fetched = 0;
    if (enumerator->Next(1, &element, &fetched) != S_OK || fetched != 1) break;
    entries.push_back(test::Narrow(buffer.get()));
  }
  return entries;
}

void WalkFrom(IRiver* node, const std::string& path, const Caller& caller,
              std::vector<VisitedNode>& visited) {
  VisitedNode here{path, caller.dir(node)};
  visited.push_back(here);
  for (const std::string& entry : here.entries) {
    const std::string name = EntryName(entry);
    caller.get(node, name);
    if (EntryAccess(entry) != "o--") continue;
    ComPtr<IRiver> child = caller.cd(node, name);
    if (!child) {
      visited.push_back({path + "/" + name + "!", {}});
      continue;
    }
    WalkFrom(child.get(), path + "/" + name, caller, visited);
  }
}

}  // namespace

Caller DirectCaller() {
  return {[](IRiver* node) { return test::Dir(node); },
          [](IRiver* node, const std::string& name) { return test::Get(node, name); },
          [](IRiver* node, const std::string& name) { return test::Cd(node, name); }};
}

Caller DispatchCaller() {
  // Every IRiver is an IDispatch: the dual interface's first part.
  return {[](IRiver* node) {
            ComPtr<IUnknown> listing;
            if (CallMethod(node, L"dir", {Reference(listing.put())}) != S_OK)
              return std::vector<std::string>{};
            return ListEnumerator(listing.get());
          },
          [](IRiver* node, const std::string& name) {
            UniqueBstr wide = UniqueBstr::FromAnsi(name);
            UniqueBstr buffer = UniqueBstr::Buffer(1024);
            BSTR value = buffer.get();
            if (CallMethod(node, L"get", {Text(wide.get()), Reference(&value)}) != S_OK)
              return std::string("<failed>");
            return test::Narrow(buffer.get());
          },
          [](IRiver* node, const std::string& name) {
            UniqueBstr wide = UniqueBstr::FromAnsi(name);
            ComPtr<IUnknown> child;
            if (CallMethod(node, L"cd", {Text(wide.get()), Reference(child.put())}) != S_OK)
              return ComPtr<IRiver>();
            return child.As<IRiver>(IID_IRiver);
          }};
}

std::vector<VisitedNode> Walk(IRiver* root, const Caller& caller) {
  std::vector<VisitedNode> visited;
  WalkFrom(root, "", caller, visited);
  return visited;
}

bool PumpMessagesUntil(const std::function<bool()>& done, unsigned timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(100, timeoutMs - elapsed),
                              QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

std::string EntryName(const std::string& entry) { return entry.substr(0, entry.find('@')); }

std::string EntryAccess(const std::string& entry) {
  const std::size_t first = entry.find('@');
  if (first == std::string::npos) return {};
  const std::size_t second = entry.find('@', first + 1);
  return entry.substr(first + 1, second == std::string::npos ? std::string::npos
                                                             : second - first - 1);
}

}  // namespace swkv::client
