// The component as a COM client meets it: registered in the system's registry, created by the
// COM runtime from its program or class identifier, walked through the virtual tables and
// through IDispatch, polled while its controller changes, and called from another apartment.
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
#include <thread>

#include "tests/support/agent.h"
#include "tests/wine/com_client.h"

namespace swkv::client {
namespace {

using test::Cd;
using test::Get;
using test::Narrow;
using test::RecordingSink;
using ::testing::Contains;

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

TEST(Creation, ByProgramIdentifierAndByClassIdentifier) {
  CLSID versioned{}, independent{};
  ASSERT_EQ(CLSIDFromProgID(L"TessaryRAID.SwkvRAID.1", &versioned), S_OK);
  EXPECT_TRUE(IsEqualCLSID(versioned, CLSID_SwkvRAID));
  ASSERT_EQ(CLSIDFromProgID(L"TessaryRAID.SwkvRAID", &independent), S_OK)
      << "the version-independent program id needs its own CLSID key";
  EXPECT_TRUE(IsEqualCLSID(independent, CLSID_SwkvRAID));
  LPOLESTR progId = nullptr;
  ASSERT_EQ(ProgIDFromCLSID(CLSID_SwkvRAID, &progId), S_OK);
  EXPECT_EQ(Narrow(progId), "TessaryRAID.SwkvRAID.1");
  CoTaskMemFree(progId);

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
  const std::vector<VisitedNode> direct = Walk(root.get(), DirectCaller());
  const std::vector<VisitedNode> dispatched = Walk(root.get(), DispatchCaller());
  // root, 2 controllers, 8 channels, 2 enclosures, 4 bays, 1 battery, 5 arrays, their disks.
  EXPECT_GT(direct.size(), 40u);
  ASSERT_EQ(direct.size(), dispatched.size());
  for (std::size_t i = 0; i < direct.size(); ++i) {
    EXPECT_EQ(direct[i].path.find('!'), std::string::npos) << "cd refused " << direct[i].path;
    ASSERT_EQ(direct[i].path, dispatched[i].path);
    ASSERT_EQ(direct[i].entries.size(), dispatched[i].entries.size()) << direct[i].path;
    for (std::size_t e = 0; e < direct[i].entries.size(); ++e) {
      const std::string& entry = direct[i].entries[e];
      // A changing value (a progress, say) may move on between the two walks.
      if (EntryAccess(entry) == "prv")
        EXPECT_EQ(EntryName(entry), EntryName(dispatched[i].entries[e]));
      else
        EXPECT_EQ(entry, dispatched[i].entries[e]) << direct[i].path;
    }
  }

  // The module's own resources: its version block and its string table.
  EXPECT_EQ(Get(root.get(), "FileVersion"), "1.0.0001 Build 1");
  ComPtr<IRiver> data = Cd(Cd(root.get(), "HBA1").get(), "Data");
  ASSERT_TRUE(data);
  EXPECT_EQ(Get(data.get(), "RAID_Mode"), "DISTRIBUTED PARITY");
}

TEST(CrossApartment, GetAndCdReturnTheirValuesToAMultithreadedApartment) {
  ComPtr<IRiver> root = Create(CLSID_SwkvRAID);
  ASSERT_TRUE(root);
  const std::string type = Get(root.get(), "Type");
  const std::string controllerHandle = Get(Cd(root.get(), "HBA1").get(), "handle");
  ASSERT_FALSE(controllerHandle.empty());

  IStream* stream = nullptr;
  ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IRiver, root.get(), &stream), S_OK);
  struct Outcome {
    HRESULT unmarshal = E_FAIL, get = E_FAIL, cd = E_FAIL, childGet = E_FAIL, count = E_FAIL;
    bool proxy = false;
    std::string value, childHandle;
    ULONG newCount = 0xFFFFFFFF;
  } outcome;
  HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(finished);
  std::thread worker([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      ComPtr<IRiver> remote;
      outcome.unmarshal = CoGetInterfaceAndReleaseStream(stream, IID_IRiver, remote.put_void());
      if (remote) {
        outcome.proxy = remote.get() != root.get();
        // The call goes through the marshaler: the buffer comes back as a new string.
        BSTR name = SysAllocString(L"Type");
        BSTR value = SysAllocStringLen(nullptr, 128);
        outcome.get = remote->get(name, &value);
        outcome.value = Take(value);
        SysFreeString(name);

        BSTR controller = SysAllocString(L"HBA1");
        ComPtr<IUnknown> child;
        outcome.cd = remote->cd(controller, child.put());
        SysFreeString(controller);
        if (ComPtr<IRiver> river = child.As<IRiver>(IID_IRiver)) {
          BSTR handle = SysAllocString(L"handle");
          BSTR buffer = SysAllocStringLen(nullptr, 64);
          outcome.childGet = river->get(handle, &buffer);
          outcome.childHandle = Take(buffer);
          SysFreeString(handle);
        }
        if (ComPtr<IEventLog> log = child.As<IEventLog>(IID_IEventLog))
          outcome.count = log->GetNewCount(&outcome.newCount);
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
  ASSERT_TRUE(done);
  ASSERT_EQ(outcome.unmarshal, S_OK);
  EXPECT_TRUE(outcome.proxy) << "the other apartment calls through a proxy";
  EXPECT_EQ(outcome.get, S_OK);
  EXPECT_EQ(outcome.value, type) << "get's value comes back";
  EXPECT_EQ(outcome.cd, S_OK);
  EXPECT_EQ(outcome.childGet, S_OK);
  EXPECT_EQ(outcome.childHandle, controllerHandle) << "cd's child comes back, the same node";
  EXPECT_EQ(outcome.count, S_OK);
  EXPECT_NE(outcome.newCount, 0xFFFFFFFFu) << "GetNewCount's count comes back";
}

// A resource of the module as its bytes (in the given language, or in any when 0); empty when
// it has none.
std::string Resource(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language = 0) {
  HRSRC found = language ? FindResourceExW(module, type, name, language)
                         : FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(module, found))
               : std::string();
}

TEST(Resources, TheModuleCarriesItsTypeLibraryScriptsStringsAndVersion) {
  ComPtr<IRiver> root = Create(CLSID_SwkvRAID);
  ASSERT_TRUE(root);
  HMODULE module = GetModuleHandleW(L"mxaRAID.dll");
  ASSERT_TRUE(module);
  const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

  const std::string typeLibrary = Resource(module, L"TYPELIB", MAKEINTRESOURCEW(1));
  EXPECT_EQ(typeLibrary.substr(0, 4), "MSFT") << "TYPELIB 1 is a type library";
  const std::string mainScript = Resource(module, L"REGISTRY", MAKEINTRESOURCEW(102));
  EXPECT_NE(mainScript.find("ForceRemove {2C21A4B6-C51A-4990-B440-B0841534F73A}"),
            std::string::npos);
  EXPECT_NE(mainScript.find("NoRemove IO_CLSID"), std::string::npos);
  const std::string logScript = Resource(module, L"REGISTRY", MAKEINTRESOURCEW(103));
  EXPECT_NE(logScript.find("2D070527-5F3F-4A0C-B426-2E598F6D470D"), std::string::npos);

  // The RAID mode texts, ids 1260 to 1267 (1262 unused), in US English.
  for (UINT id : {1260u, 1261u, 1263u, 1264u, 1265u, 1266u, 1267u}) {
    wchar_t text[64] = {};
    EXPECT_GT(LoadStringW(module, id, text, 64), 0) << id;
  }
  for (UINT block : {1260u / 16 + 1, 1267u / 16 + 1})
    EXPECT_FALSE(Resource(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(block), english).empty())
        << "string block " << block << " in language 1033";

  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(module, path, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  ASSERT_GT(size, 0u) << "the module has its version block";
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
  wchar_t* version = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                             reinterpret_cast<void**>(&version), &length));
  EXPECT_EQ(Narrow(version), "1.0.0001 Build 1");
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
  auto failureLogged = [&] {
    return std::any_of(records.begin(), records.end(), [](const std::string& record) {
      return record.find("@Drv. Fail@") != std::string::npos;
    });
  };
  const DWORD start = GetTickCount();
  const bool seen = PumpMessagesUntil(
      [&] {
        ULONG count = 0;
        if (log->GetNewCount(&count) != S_OK) return false;
        for (; count > 0; --count) {
          BSTR record = nullptr;
          ULONG size = 0;
          if (log->ReadEventLog(&record, &size) != S_OK) break;
          records.push_back(Take(record));
        }
        return failureLogged() && !controllerSink->codes.empty();
      },
      30000);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_TRUE(seen) << "after " << elapsed << " ms; " << records.size() << " records, "
                    << controllerSink->codes.size() << " notifications";
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
