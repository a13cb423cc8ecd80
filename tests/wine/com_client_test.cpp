// The component as a COM client meets it: registered in the system's registry, created by the
// COM runtime from its program or class identifier, walked through the virtual tables and
// through IDispatch, its resources read by the system, polled while its controller changes, and
// called from another apartment.
//
// Run by scripts/wine-tests after the component was registered with regsvr32. The Timeline
// tests need the short timeline of short_timeline.json (SWKV_SIM_SCENARIO) and a process of
// their own, since the timeline starts with the controller library's first call.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "mxaraid/interfaces.h"
#include "platform/com_ptr.h"
#include "tests/support/agent.h"

namespace swkv::client {
namespace {

using test::Cd;
using test::Get;
using test::Narrow;
using test::RecordingSink;
using ::testing::Contains;

// An entry's name and its access letters ("pr-", "o--", ...).
std::string EntryName(const std::string& entry) { return entry.substr(0, entry.find('@')); }
std::string EntryAccess(const std::string& entry) { return entry.substr(entry.find('@') + 1, 3); }

// IDispatch::Invoke of a method, by its name, with the arguments given first first.
HRESULT CallMethod(IDispatch* target, const wchar_t* method, std::vector<VARIANT> args) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(method)};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
    return DISP_E_UNKNOWNNAME;
  std::reverse(args.begin(), args.end());
  DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
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

// dir, get and cd through IDispatch, with the types a C++ client passes.
std::vector<std::string> DispatchDir(IRiver* node) {
  ComPtr<IUnknown> listing;
  if (CallMethod(node, L"dir", {Argument(VT_UNKNOWN | VT_BYREF, listing.put())}) != S_OK) return {};
  return test::Entries(listing.get());
}
void DispatchGet(IRiver* node, const std::string& name) {
  UniqueBstr wide = UniqueBstr::FromAnsi(name), buffer = UniqueBstr::Buffer(1024);
  BSTR value = buffer.get();
  CallMethod(node, L"get", {Argument(VT_BSTR, wide.get()), Argument(VT_BSTR | VT_BYREF, &value)});
}
ComPtr<IRiver> DispatchCd(IRiver* node, const std::string& name) {
  UniqueBstr wide = UniqueBstr::FromAnsi(name);
  ComPtr<IUnknown> child;
  const HRESULT status = CallMethod(
      node, L"cd", {Argument(VT_BSTR, wide.get()), Argument(VT_UNKNOWN | VT_BYREF, child.put())});
  return status == S_OK ? child.As<IRiver>(IID_IRiver) : ComPtr<IRiver>();
}

// Walks the tree below one node through the virtual table (direct) and through IDispatch
// (dispatched: every IRiver is an IDispatch, the dual interface's first part) side by side,
// every entry read with get both ways on the way: both list the same entries, and cd both ways
// reaches every child. count counts the nodes.
void WalkBothWays(IRiver* direct, IRiver* dispatched, const std::string& path, std::size_t& count) {
  ++count;
  const std::vector<std::string> entries = test::Dir(direct), other = DispatchDir(dispatched);
  ASSERT_EQ(entries.size(), other.size()) << path;
  for (std::size_t e = 0; e < entries.size(); ++e) {
    const std::string name = EntryName(entries[e]);
    // A changing value (a progress, say) may move on between the two listings.
    if (EntryAccess(entries[e]) == "prv")
      EXPECT_EQ(name, EntryName(other[e])) << path;
    else
      EXPECT_EQ(entries[e], other[e]) << path;
    test::Get(direct, name);
    DispatchGet(dispatched, name);
    if (EntryAccess(entries[e]) != "o--") continue;
    ComPtr<IRiver> child = test::Cd(direct, name), otherChild = DispatchCd(dispatched, name);
    EXPECT_TRUE(child && otherChild) << "cd refused " << path << "/" << name;
    if (child && otherChild) WalkBothWays(child.get(), otherChild.get(), path + "/" + name, count);
  }
}

// Handles the thread's messages (timers included) until done() holds or timeoutMs passes;
// whether done() held.
bool PumpMessagesUntil(const std::function<bool()>& done, unsigned timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(100, timeoutMs - elapsed),
                              QS_ALLINPUT);
    test::PumpMessages();
  }
  return true;
}

ComPtr<IRiver> Create(REFCLSID clsid) {
  ComPtr<IRiver> root;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IRiver, root.put_void()),
            S_OK);
  return root;
}

// A text the component hands out, and the COM runtime's string after it.
std::string Take(BSTR text) {
  std::string narrow = Narrow(text);
  SysFreeString(text);
  return narrow;
}

// By the program id (the scripts use the version-independent one) and by the class id.
TEST(Creation, ByProgramIdentifierAndByClassIdentifier) {
  CLSID versioned{};
  ASSERT_EQ(CLSIDFromProgID(L"TessaryRAID.SwkvRAID.1", &versioned), S_OK);
  EXPECT_TRUE(IsEqualCLSID(versioned, CLSID_SwkvRAID));
  ComPtr<IRiver> first = Create(versioned);
  ComPtr<IRiver> second = Create(CLSID_SwkvRAID);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first.get(), second.get()) << "each creation builds a tree of its own";
  EXPECT_EQ(Get(first.get(), "Type"), "TESSARY SwiftbayRAIDKv9");
  EXPECT_TRUE(GetModuleHandleW(L"mxaRAID.dll")) << "loaded in process from its registered file";

  // The event log class is described by the type library, never registered.
  ComPtr<IUnknown> log;
  EXPECT_EQ(CoCreateInstance(CLSID_EventLog, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             log.put_void()),
            REGDB_E_CLASSNOTREG);
}

TEST(TreeWalk, TheVirtualTableAndIDispatchSeeTheSameWholeTree) {
  ComPtr<IRiver> root = Create(CLSID_SwkvRAID);
  ASSERT_TRUE(root);
  std::size_t nodes = 0;
  WalkBothWays(root.get(), root.get(), "", nodes);
  // root, 2 controllers, 8 channels, 2 enclosures, 4 bays, 1 battery, 5 arrays, their disks.
  EXPECT_GT(nodes, 40u);

  // The module's own resources, read by the system: its version block and its string table,
  // whose blocks of the RAID mode texts (ids 1260 to 1267) are in US English.
  EXPECT_EQ(Get(root.get(), "FileVersion"), "1.0.0001 Build 1");
  ComPtr<IRiver> data = Cd(Cd(root.get(), "HBA1").get(), "Data");
  ASSERT_TRUE(data);
  EXPECT_EQ(Get(data.get(), "RAID_Mode"), "DISTRIBUTED PARITY");
  HMODULE module = GetModuleHandleW(L"mxaRAID.dll");
  for (int block : {1260 / 16 + 1, 1267 / 16 + 1})
    EXPECT_TRUE(FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(block),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)))
        << "string block " << block << " in language 1033";
}

TEST(CrossApartment, GetAndCdReturnTheirValuesToAMultithreadedApartment) {
  ComPtr<IRiver> root = Create(CLSID_SwkvRAID);
  ASSERT_TRUE(root);
  const std::string type = Get(root.get(), "Type");
  const std::string controllerHandle = Get(Cd(root.get(), "HBA1").get(), "handle");
  ASSERT_FALSE(controllerHandle.empty());

  IStream* stream = nullptr;
  ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IRiver, root.get(), &stream), S_OK);
  // get into the caller's buffer: through the marshaler the value comes back as a new string.
  using Reply = std::pair<HRESULT, std::string>;
  auto get = [](IRiver* node, const char* name) {
    UniqueBstr wide = UniqueBstr::FromAnsi(name);
    BSTR value = SysAllocStringLen(nullptr, 128);
    const HRESULT status = node->get(wide.get(), &value);
    return Reply(status, Take(value));
  };
  HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(finished);
  std::thread worker([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      ComPtr<IRiver> remote;
      EXPECT_EQ(CoGetInterfaceAndReleaseStream(stream, IID_IRiver, remote.put_void()), S_OK);
      EXPECT_NE(remote.get(), root.get()) << "the other apartment calls through a proxy";
      if (remote) {
        EXPECT_EQ(get(remote.get(), "Type"), Reply(S_OK, type));
        UniqueBstr controller = UniqueBstr::FromAnsi("HBA1");
        ComPtr<IUnknown> child;
        EXPECT_EQ(remote->cd(controller.get(), child.put()), S_OK);
        ComPtr<IRiver> river = child.As<IRiver>(IID_IRiver);
        EXPECT_TRUE(river && get(river.get(), "handle") == Reply(S_OK, controllerHandle))
            << "cd's child comes back, the same node";
        ULONG count = 0xFFFFFFFF;
        ComPtr<IEventLog> log = child.As<IEventLog>(IID_IEventLog);
        EXPECT_TRUE(log && log->GetNewCount(&count) == S_OK && count != 0xFFFFFFFF)
            << "GetNewCount's count comes back";
      }
    }
    CoUninitialize();
    SetEvent(finished);
  });
  // The component's apartment serves the calls from its message loop.
  const bool done = PumpMessagesUntil(
      [&] { return WaitForSingleObject(finished, 0) == WAIT_OBJECT_0; }, 60000);
  worker.join();
  CloseHandle(finished);
  EXPECT_TRUE(done);
}

TEST(Timeline, PollingFollowsAFailingDiskWithNotificationsAndEvents) {
  const char* scenario = std::getenv("SWKV_SIM_SCENARIO");
  if (!scenario || !std::strstr(scenario, "short_timeline"))
    GTEST_SKIP() << "needs SWKV_SIM_SCENARIO=short_timeline.json and a process of its own";
  ComPtr<IRiver> root = Create(CLSID_SwkvRAID);
  ASSERT_TRUE(root);
  ComPtr<IRiver> controller = Cd(root.get(), "HBA1");
  ComPtr<IRiver> system = Cd(controller.get(), "System");
  ASSERT_TRUE(controller && system);
  ComPtr<IEventLog> log = controller.As<IEventLog>(IID_IEventLog);
  ASSERT_TRUE(log);
  EXPECT_EQ(Get(system.get(), "Status"), "0");

  ComPtr<RecordingSink> controllerSink = RecordingSink::Create();
  ComPtr<RecordingSink> arraySink = RecordingSink::Create();
  ASSERT_NE(controllerSink->AdviseOn(controller.get()), 0u);
  ASSERT_NE(arraySink->AdviseOn(system.get()), 0u);

  std::vector<std::string> records;
  bool failureLogged = false;
  const bool seen = PumpMessagesUntil(
      [&] {
        ULONG count = 0;
        if (log->GetNewCount(&count) != S_OK) return false;
        for (; count > 0; --count) {
          BSTR record = nullptr;
          ULONG size = 0;
          if (log->ReadEventLog(&record, &size) != S_OK) break;
          records.push_back(Take(record));
          failureLogged |= records.back().find("@Drv. Fail@") != std::string::npos;
        }
        return failureLogged && !controllerSink->codes.empty();
      },
      30000);
  EXPECT_TRUE(seen) << records.size() << " records, " << controllerSink->codes.size()
                    << " notifications";
  EXPECT_THAT(controllerSink->codes, Contains(kNotifyChanged));
  EXPECT_FALSE(arraySink->codes.empty()) << "the array was refreshed or rebuilt";
  for (const std::string& record : records) {
    std::printf("event record: %s\n", record.c_str());
    EXPECT_EQ(std::count(record.begin(), record.end(), '@'), 4) << record;
  }
  EXPECT_NE(Get(Cd(controller.get(), "System").get(), "Status"), "0") << "critical or rebuilding";
}

}  // namespace
}  // namespace swkv::client

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The agent's thread: one single-threaded apartment for the whole run. It is left as it is at
  // the end, since the component's poll timer, armed on this thread, lives as long as the process.
  if (FAILED(CoInitialize(nullptr))) {
    std::fprintf(stderr, "CoInitialize failed\n");
    return 1;
  }
  return RUN_ALL_TESTS();
}
