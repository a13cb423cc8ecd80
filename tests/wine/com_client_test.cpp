// The component as a COM client meets it: registered in the system's registry, created by the
// COM runtime from its class identifier, its string table read by the system, polled while its
// controller changes, and called from another apartment. (Creation by program id is the
// scripts'; the whole tree through the virtual tables, and IDispatch with the system's type
// information, are the frame and agent sessions', which run under the same runtime.)
//
// Run by scripts/wine-tests after the component was registered with regsvr32. The Timeline
// tests need the short timeline of short_timeline.json (SWKV_SIM_SCENARIO) and a process of
// their own, since the timeline starts with the controller library's first call.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#include "mxaraid/interfaces.h"
#include "platform/com_ptr.h"
#include "tests/support/agent.h"

namespace swkv::test {
namespace {

// Handles the thread's messages (timers included) until done() holds or timeoutMs passes;
// whether done() held.
bool PumpMessagesUntil(const std::function<bool()>& done, unsigned timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(100, timeoutMs - elapsed),
                              QS_ALLINPUT);
    PumpMessages();
  }
  return true;
}

// The main class, made by the COM runtime from its registered class id.
ComPtr<IRiver> Create() {
  ComPtr<IRiver> root;
  EXPECT_EQ(CoCreateInstance(CLSID_SwkvRAID, nullptr, CLSCTX_INPROC_SERVER, IID_IRiver,
                             root.put_void()),
            S_OK);
  return root;
}

// The module's string table, read by the system: the blocks of the RAID mode texts (ids 1260 to
// 1267) are in US English.
TEST(Resources, TheRaidModeTextsAreInUsEnglish) {
  ComPtr<IRiver> root = Create();
  HMODULE module = GetModuleHandleW(L"mxaRAID.dll");
  ASSERT_TRUE(root && module) << "loaded in process from its registered file";
  for (int block : {1260 / 16 + 1, 1267 / 16 + 1})
    EXPECT_TRUE(FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(block),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)))
        << "string block " << block << " in language 1033";
}

TEST(CrossApartment, GetAndCdReturnTheirValuesToAMultithreadedApartment) {
  ComPtr<IRiver> root = Create();
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
    UniqueBstr reply(value);  // the marshaler's new string
    return Reply(status, Narrow(reply.get()));
  };
  std::atomic<bool> finished = false;
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
    finished = true;
  });
  // The component's apartment serves the calls from its message loop.
  const bool done = PumpMessagesUntil([&] { return finished.load(); }, 60000);
  worker.join();
  EXPECT_TRUE(done);
}

TEST(Timeline, PollingFollowsAFailingDiskWithNotificationsAndEvents) {
  const char* scenario = std::getenv("SWKV_SIM_SCENARIO");
  if (!scenario || !std::strstr(scenario, "short_timeline"))
    GTEST_SKIP() << "needs SWKV_SIM_SCENARIO=short_timeline.json and a process of its own";
  ComPtr<IRiver> root = Create();
  ASSERT_TRUE(root);
  ComPtr<IRiver> controller = Cd(root.get(), "HBA1");
  ComPtr<IRiver> system = Cd(controller.get(), "System");
  ASSERT_TRUE(controller && system);
  ComPtr<IEventLog> log = controller.As<IEventLog>(IID_IEventLog);
  ASSERT_TRUE(log);
  EXPECT_EQ(Get(system.get(), "Status"), "0");

  // What the records and the notifications hold is the agent sessions'; here the poll timer
  // fires from the message loop and brings them.
  ComPtr<RecordingSink> controllerSink = RecordingSink::Create();
  ASSERT_NE(controllerSink->AdviseOn(controller.get()), 0u);
  bool failureLogged = false;
  const bool seen = PumpMessagesUntil(
      [&] {
        ULONG count = 0;
        if (log->GetNewCount(&count) != S_OK) return false;
        for (; count > 0; --count)
          failureLogged |= Read(log.get()).record.find("@Drv. Fail@") != std::string::npos;
        return failureLogged && !controllerSink->codes.empty();
      },
      30000);
  EXPECT_TRUE(seen) << controllerSink->codes.size() << " notifications";
  EXPECT_NE(Get(Cd(controller.get(), "System").get(), "Status"), "0") << "critical or rebuilding";
}

}  // namespace
}  // namespace swkv::test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The agent's thread: one single-threaded apartment for the whole run. It is left as it is at
  // the end, since the component's poll timer, armed on this thread, lives as long as the process.
  if (FAILED(CoInitialize(nullptr))) return 1;
  return RUN_ALL_TESTS();
}
