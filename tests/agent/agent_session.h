// The agent's calls on a device tree over the simulated controllers, typed as lines of text,
// and what each call gave, as text: the engine behind the sessions in sessions/.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tests/support/agent.h"
#include "com/message_box.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/replay.h"
#include "tree/root_node.h"

namespace swkv::test {

// The line after its first n words, from the next word on.
std::string After(const std::string& line, std::size_t n);
// "" for status 0, or "refused STATUS: REASON" (the simulated library's last error), a line.
std::string SimRefusal(std::int32_t status);

class AgentSession {
 public:
  // tracePath: a file of this session's own for the library's trace of its calls. folder: what
  // "$TMP" stands for, made and removed by the session; a session's other process is given the
  // session's folder, and starts as a process does, on the state the environment names.
  explicit AgentSession(std::string tracePath, std::string folder = "");
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
  // One command's output, or its usage when it was refused.
  std::string Attempt(const std::string& line);
  // Runs the commands of "on" for a sink's notification or a message (on is the watched path or
  // "message") inside the call that notified, their output indented into lines.
  void React(const std::string& on, std::vector<std::string>& lines);
  ComPtr<IRiver> Node(const std::string& path) const;
  ComPtr<IEventLog> Log(const std::string& path) const;
  void Start(const std::string& scenarioFile);
  // The scenario of FILE (below tests/) or of the JSON text ("\n" in it a line end) loaded, its
  // clock stopped: the library's refusal, or "".
  std::string LoadModel(std::string scenario);
  void Release();
  std::string CallLibrary(const Words& words);
  // The commands of sim_commands.cpp.
  std::string SimCommand(const Words& words, const std::string& rest);
  // The node's entries and, below each link, its child's, two spaces a level deeper; a node met
  // before (seen: their handles) shows only its handle.
  std::string Tree(IRiver* node, int depth, std::set<std::string>& seen);
  // The library's new trace lines; shown while the trace is on, or when show is set.
  std::string NewTraceLines(bool show = false);

  std::string m_tracePath;
  std::size_t m_traceRead = 0;
  bool m_tracing = false;
  std::set<std::string> m_traceOnly;
  RegistrySandbox m_registry;
  std::vector<std::string> m_messages;  // the texts shown, each followed by what "on" ran
  MessageHandler m_shownBefore;         // the handler the session replaced
  ComPtr<RootNode> m_root;
  std::vector<std::string> m_notifications;
  std::vector<std::pair<std::string, ComPtr<RecordingSink>>> m_sinks;
  std::map<std::string, std::vector<std::pair<int, std::string>>> m_actions;  // by "on": N, command
  std::map<std::string, int> m_reactions;  // by "on": the notifications or messages seen
  bool m_clock = false;                    // the manual clock started (the first "tick")
  ComPtr<IRiver> m_held;  // the node kept by "hold"
  HandleOrdinals m_handles;
  std::string m_folder;                  // what "$TMP" stands for
  std::int64_t m_origin = 0;             // the clock when the scenario loaded
  bool m_process = false;                             // another process of a session
  std::vector<std::pair<int, std::string>> m_children;  // spawned: process id, output file
};

}  // namespace swkv::test
