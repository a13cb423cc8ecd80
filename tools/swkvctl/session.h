// One swkvctl session: the component loaded once, its tree created once, and the commands that
// work on it. A command line runs one command in a session; the shell runs many.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tools/swkvctl/component_host.h"
#include "tools/swkvctl/message_loop.h"
#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/terminal_style.h"

namespace swkv::ctl {

struct SessionOptions {
  std::string moduleFile;  // --module: this file instead of the registered component
  Speed speed;             // --speed
  bool quiet = false;      // -q: results only, no status lines
  std::string color = "auto";  // --color: auto (on a terminal, unless NO_COLOR), always, never
};

class Session {
 public:
  Session(SessionOptions options, std::ostream& out, std::ostream& err);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Runs one command (words[0] is its name) and returns its exit code. A failure is printed to
  // the error stream as "swkvctl: ..." and its code returned; nothing is thrown.
  int Run(const std::vector<std::string>& words);
  // Loads the component and creates the tree, if that has not happened yet. Throws Failure.
  void Open();

  // The shell's current node ("" for the root) and the tree's root (null before Open).
  const std::string& current() const { return m_current; }
  IRiver* root() const { return m_root.get(); }
  // Whether a command name is one the shell takes.
  static bool IsShellCommand(const std::string& name);
  static const std::vector<std::string>& ShellCommands();
  // The loop that runs the component's timer on this thread.
  MessageLoop& loop() { return m_loop; }

 private:
  int Dispatch(const std::vector<std::string>& words);
  NodeAt Node(const std::string& path) const;

  int Tree(const std::vector<std::string>& words);
  int List(const std::vector<std::string>& words);
  int Get(const std::vector<std::string>& words);
  int Set(const std::vector<std::string>& words);
  int Invoke(const std::vector<std::string>& words);
  int Refresh(const std::vector<std::string>& words);
  int Events(const std::vector<std::string>& words);
  int Watch(const std::vector<std::string>& words);
  int ChangeNode(const std::vector<std::string>& words);

  // The status line of an operation ("set: S_OK (0x00000000): stored"), unless quiet.
  void StatusLine(const std::string& operation, HRESULT status, const std::string& meaning);

  SessionOptions m_options;
  std::ostream& m_out;
  std::ostream& m_err;
  TerminalStyle m_style;  // of standard output
  ComponentHost m_host;
  // After the host: the lapse ends before the module may be unloaded.
  MessageLoop m_loop;
  ComPtr<IRiver> m_root;
  std::string m_current;
};

}  // namespace swkv::ctl
