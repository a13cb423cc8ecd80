// What the tree tests share besides the fixture: node handles as the agent passes them back,
// notification logs across several nodes, and a trace of the library calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sim/sim_control.h"
#include "tests/support/agent.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

namespace swkv::test {

// The address part of a node's handle ("1234;28" gives "1234"), as actions take it.
inline std::string HandleAddress(IRiver* node) {
  std::string handle = Get(node, "handle");
  return handle.substr(0, handle.find(';'));
}

// Notifications of several nodes in the order they arrived, each as "label:code".
class NotificationLog {
 public:
  // Subscribes a new sink on node; its codes are entered under label.
  void Watch(IRiver* node, std::string label) {
    ComPtr<RecordingSink> sink = RecordingSink::Create();
    sink->onNotify = [this, label](ULONG code) {
      char text[32];
      std::snprintf(text, sizeof text, "%s:0x%lX", label.c_str(), static_cast<unsigned long>(code));
      entries.push_back(text);
    };
    EXPECT_NE(sink->AdviseOn(node), 0u);
    m_sinks.push_back(sink);
  }
  std::vector<std::string> entries;

 private:
  std::vector<ComPtr<RecordingSink>> m_sinks;
};

// The library's own trace of its calls, written to a file of the test's own. Start before the
// scenario is loaded: the library reads the setting when it is reset.
class LibraryTrace {
 public:
  LibraryTrace() {
    m_path = ::testing::TempDir() + "swkv_trace_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
    std::remove(m_path.c_str());
    SetVariable(m_path.c_str());
    EXPECT_EQ(simReset(), 0) << simLastError();
  }
  ~LibraryTrace() {
    SetVariable(nullptr);
    simReset();
    std::remove(m_path.c_str());
  }
  // The traced calls of one function, each as "name(arguments) = status", in order.
  std::vector<std::string> Calls(const std::string& function) const {
    std::vector<std::string> calls;
    std::ifstream in(m_path);
    std::string line;
    while (std::getline(in, line)) {
      std::size_t at = line.find(" " + function + "(");
      if (at == std::string::npos) continue;
      std::string call = line.substr(at + 1);
      calls.push_back(call.substr(0, call.find(" ->")));
    }
    return calls;
  }

 private:
  static void SetVariable(const char* value) {
#ifdef _WIN32
    SetEnvironmentVariableA("SWKV_SIM_TRACE", value);
#else
    if (value)
      setenv("SWKV_SIM_TRACE", value, 1);
    else
      unsetenv("SWKV_SIM_TRACE");
#endif
  }
  std::string m_path;
};

}  // namespace swkv::test
