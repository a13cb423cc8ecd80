// watch: runs the component's timer and shows, as they come, the notifications of every node,
// the new records of every controller's event log, and how each array's activity goes.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tools/swkvctl/message_loop.h"
#include "tools/swkvctl/subscriptions.h"
#include "tools/swkvctl/terminal_style.h"

namespace swkv::ctl {

class Watcher {
 public:
  // json: one JSON object a line, each flushed as it is written, instead of lines for a person.
  Watcher(IRiver* root, std::ostream& out, bool json = false,
          const TerminalStyle& style = TerminalStyle())
      : m_root(root), m_out(out), m_json(json), m_style(style) {}

  // Watches for seconds of the loop's time (forever when seconds < 0) or until Ctrl-C.
  void Run(MessageLoop& loop, double seconds, const std::string& speed);

 private:
  struct ArrayState {
    std::string state;  // "rebuilding 37%"
    std::string word;   // "rebuilding"
    int tenth = -1;     // the last tenth of progress shown
    bool paused = false;
  };

  // Reads the tree again and follows it with the subscriptions; true when it could.
  void Rewalk();
  void ShowNotices(const std::vector<Notice>& notices);
  void ShowEvents();
  // Shows each array whose state word changed or whose progress passed another tenth.
  void ShowArrays(bool first);
  void Line(const std::string& what, const std::string& text);
  // {"time": T, "type": type, ...members}, flushed.
  void JsonLine(const std::string& type, const std::string& members);
  // Says how often the last notifications came again unchanged, if they did.
  void FlushRepeats();
  double Elapsed() const;

  ComPtr<IRiver> m_root;
  std::ostream& m_out;
  bool m_json = false;
  TerminalStyle m_style;
  Subscriptions m_subscriptions;
  std::vector<std::pair<std::string, ComPtr<IRiver>>> m_controllers;  // path, node
  std::vector<std::pair<std::string, ComPtr<IRiver>>> m_arrays;
  std::map<std::string, ArrayState> m_arrayStates;
  std::uint64_t m_start = 0;
  std::size_t m_noticeCount = 0;
  std::size_t m_eventCount = 0;
  std::size_t m_passes = 0;
  // The component notifies some nodes in every pass (a controller whose bays report different
  // readings); a run of passes with the same notifications is shown once, with its count.
  std::string m_lastNotices;
  std::size_t m_repeats = 0;
  double m_repeatedUntil = 0;
};

}  // namespace swkv::ctl
