// The agent's calls on a device tree over the simulated controllers, typed as lines of text,
// and what each call gave, as text: the engine behind the sessions in sessions/.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tests/support/agent.h"
#include "tests/support/message_capture.h"
#include "tests/support/registry_sandbox.h"
#include "tree/root_node.h"

namespace swkv::test {

class AgentSession {
 public:
  // tracePath: a file of this session's own for the library's trace of its calls.
  explicit AgentSession(std::string tracePath);
  ~AgentSession();
  AgentSession(const AgentSession&) = delete;
  AgentSession& operator=(const AgentSession&) = delete;

  // Runs one command line (without its "> ") and returns what it printed, each line with its
  // line end: the result, then the library calls it made (while the trace is on), the
  // notifications the watched nodes got and the messages the component showed.
  std::string Run(const std::string& line);

 private:
  using Words = std::vector<std::string>;
  std::string Do(const Words& words, const std::string& rest);
  ComPtr<IRiver> Node(const std::string& path) const;
  ComPtr<IEventLog> Log(const std::string& path) const;
  void Start(const std::string& scenarioFile);
  void LoadModel(const std::string& scenario);
  void Release();
  std::string CallLibrary(const Words& words);
  std::string Handle(const std::string& text);
  // The library's new trace lines; shown while the trace is on, or when show is set.
  std::string NewTraceLines(bool show = false);

  std::string m_tracePath;
  std::size_t m_traceRead = 0;
  bool m_tracing = false;
  std::set<std::string> m_traceOnly;
  RegistrySandbox m_registry;
  MessageCapture m_messages;
  ComPtr<RootNode> m_root;
  std::vector<std::string> m_notifications;
  std::vector<std::pair<std::string, ComPtr<RecordingSink>>> m_sinks;
  std::map<std::string, ComPtr<IRiver>> m_held;
  std::map<std::string, int> m_handles;  // handle number -> the order the session saw it in
};

}  // namespace swkv::test
