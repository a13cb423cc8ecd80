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

// An argument of the type given; a text (VT_BSTR) or a reference (VT_BYREF with its type).
VARIANT Argument(VARTYPE type, void* value) {
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = type;
  argument.byref = value;  // bstrVal shares its place
  return argument;
}

// get or cd: a name, and a reference for what comes back.
HRESULT CallOnName(IDispatch* target, const wchar_t* method, const std::string& name,
                   VARTYPE resultType, void* result) {
  UniqueBstr wide = UniqueBstr::FromAnsi(name);
  return CallMethod(target, method,
                    {Argument(VT_BSTR, wide.get()), Argument(resultType | VT_BYREF, result)});
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
            if (CallMethod(node, L"dir", {Argument(VT_UNKNOWN | VT_BYREF, listing.put())}) != S_OK)
              return std::vector<std::string>{};
            return test::Entries(listing.get());
          },
          [](IRiver* node, const std::string& name) {
            UniqueBstr buffer = UniqueBstr::Buffer(1024);
            BSTR value = buffer.get();
            if (CallOnName(node, L"get", name, VT_BSTR, &value) != S_OK)
              return std::string("<failed>");
            return test::Narrow(buffer.get());
          },
          [](IRiver* node, const std::string& name) {
            ComPtr<IUnknown> child;
            if (CallOnName(node, L"cd", name, VT_UNKNOWN, child.put()) != S_OK)
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
  const std::size_t at = entry.find('@');
  return at == std::string::npos ? std::string() : entry.substr(at + 1, 3);
}

}  // namespace swkv::client
