// Sessions of a host's message loop: each file in sessions/ is a list of calls of the thread
// message queue and the window-less timers, each followed by what it gave. The sessions named
// posix_* run on our POSIX layer only: "posix_clock_..." step its manual clock, and the others
// hold on Windows too but not on Wine (which numbers timers per thread, calls any procedure
// named and posts without bound).
//   arm NAME MS [record|nested] [window]   a new timer (nested: its procedure pumps messages
//                                   too; window: on a window handle that is none)
//   rearm NAME MS [PROC]            SetTimer again with the timer's identifier
//   kill NAME...                    KillTimer, of each in turn
//   pump                            every message the queue yields now, dispatched
//   peek [remove] [FIRST LAST] / get / dispatch
//                                   PeekMessage (PM_NOREMOVE unless "remove") or GetMessage:
//                                   the message; dispatch: the last message taken
//   post THREAD MESSAGE WPARAM [LPARAM [TIMES]] / quit CODE   (TIMES: up to the first refused)
//   on T COMMAND / start T COMMAND / end T
//                                   a thread that runs commands: at once, or started; end
//                                   lets the thread return, and shows what the started gave
//   steps MS STEP                   the manual clock moved on STEP at a time up to MS, every
//                                   message dispatched after each step: when some came
//   date MS / advance MS / wall / due / time
//                                   the manual clock set to MS after the session's origin (the
//                                   date only), moved on, left for the wall clock; the next
//                                   timer's wait; the file time and tick from the origin
// A procedure's call is shown after the command it ran in: "fired NAME on THREAD".
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <sstream>
#include <thread>

#include "platform/test_clock.h"
#include "platform/win.h"
#include "tests/support/agent.h"
#include "tests/support/replay.h"

namespace {

constexpr std::uint64_t kOrigin = 1700000000000;  // 2023-11-14 22:13:20 UTC, in ms
constexpr std::uint64_t kFileTimeOf1970 = 116444736000000000;

std::mutex g_mutex;  // guards what follows: the threads' procedures record their calls here
std::map<UINT_PTR, std::string> g_names;  // timer identifier -> name
std::map<DWORD, std::string> g_threads;   // thread identifier -> name
std::vector<std::string> g_fired;
int g_depth = 0;

std::string Name(UINT_PTR id) {
  return g_names.count(id) ? g_names[id] : "id " + std::to_string(id);
}
void CALLBACK Record(HWND window, UINT message, UINT_PTR id, DWORD time) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_fired.push_back("fired " + Name(id) + " on " + g_threads[GetCurrentThreadId()] +
                    (window ? ", a window" : "") + (message != WM_TIMER ? ", another message" : "") +
                    (time != GetTickCount() ? ", another time" : "") + (g_depth ? ", nested" : ""));
}
void CALLBACK Nested(HWND window, UINT message, UINT_PTR id, DWORD time) {
  Record(window, message, id, time);
  ++g_depth;
  swkv::test::PumpMessages();
  --g_depth;
}
const std::map<std::string, TIMERPROC> kProcedures = {{"record", Record}, {"nested", Nested}};

std::string Describe(const MSG& m) {
  std::string text = m.message == WM_TIMER ? "timer " + Name(m.wParam)
                     : m.message == WM_QUIT ? "quit"
                     : m.message >= WM_APP  ? "app+" + std::to_string(m.message - WM_APP)
                                            : "user+" + std::to_string(m.message - WM_USER);
  for (const auto& [name, procedure] : kProcedures)
    if (m.message == WM_TIMER && m.lParam == reinterpret_cast<LPARAM>(procedure)) text += " " + name;
  if (m.message != WM_TIMER)
    text += " " + std::to_string(m.wParam) + (m.lParam ? " " + std::to_string(m.lParam) : "");
  return text + (m.hwnd ? " window" : "");
}

UINT Message(const std::string& word) {
  if (word == "timer") return WM_TIMER;
  if (word.starts_with("app+")) return WM_APP + std::stoul(word.substr(4));
  return WM_USER + std::stoul(word.substr(5));  // user+N
}

[[maybe_unused]] std::uint64_t FileTime() {  // ms since 1970 times 10000
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return ((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime) - kFileTimeOf1970;
}

class TimerSession {
 public:
  TimerSession() { g_threads[m_main] = "main"; }
  ~TimerSession() {
    for (auto& [name, worker] : m_workers) Run("end " + name);
    for (const auto& [name, id] : m_ids) KillTimer(nullptr, id);
#ifndef _WIN32
    SwkvTestClockReset();
#endif
    g_names.clear();
  }

  std::string Run(const std::string& line) {
    std::string out = Do(line);  // a malformed line throws, and fails the session
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const std::string& call : g_fired) out += call + "\n";
    g_fired.clear();
    return out;
  }

 private:
  // A thread that runs the commands given to it, one after the other; an empty one ends it.
  using Command = std::packaged_task<std::string()>;
  struct Worker {
    std::thread thread;
    DWORD id = 0;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Command> commands;
    std::future<std::string> started;
  };

  Worker& Thread(const std::string& name) {
    auto [it, made] = m_workers.try_emplace(name);
    Worker& w = it->second;
    if (!made) return w;
    std::promise<DWORD> id;
    w.thread = std::thread([&, name] {
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_threads[GetCurrentThreadId()] = name;
      }
      id.set_value(GetCurrentThreadId());
      for (;;) {
        std::unique_lock<std::mutex> lock(w.mutex);
        w.wake.wait(lock, [&] { return !w.commands.empty(); });
        Command command = std::move(w.commands.front());
        w.commands.pop_front();
        lock.unlock();
        if (!command.valid()) return;
        command();
      }
    });
    w.id = id.get_future().get();
    return w;
  }

  std::future<std::string> Send(Worker& w, Command command) {
    std::future<std::string> result;
    if (command.valid()) result = command.get_future();
    std::lock_guard<std::mutex> lock(w.mutex);
    w.commands.push_back(std::move(command));
    w.wake.notify_all();
    return result;
  }

  std::string Do(const std::string& line) {
    const std::vector<std::string> w = swkv::test::SplitWords(line);
    const std::string& c = w.at(0);
    auto number = [&](std::size_t i) { return static_cast<UINT>(std::stoul(w.at(i))); };
    std::ostringstream out;
    if (c == "arm" || c == "rearm") {
      const UINT_PTR id = SetTimer(w.size() > 4 ? reinterpret_cast<HWND>(0x1234) : nullptr,
                                   c == "arm" ? 0 : m_ids.at(w.at(1)), number(2),
                                   kProcedures.at(w.size() > 3 ? w[3] : "record"));
      if (!id) out << "failed " << GetLastError() << "\n";
      if (c == "rearm") out << (id == m_ids[w[1]] ? "the same timer\n" : "another timer\n");
      m_ids[w[1]] = id;
      std::lock_guard<std::mutex> lock(g_mutex);
      g_names[id] = w[1];
    } else if (c == "kill") {
      for (std::size_t i = 1; i < w.size(); ++i)
        out << (KillTimer(nullptr, m_ids.at(w[i])) ? "killed\n" : "not killed\n");
    } else if (c == "pump") {
      out << swkv::test::PumpMessages() << " messages\n";
    } else if (c == "peek") {
      const std::size_t first = w.size() > 1 && w[1] == "remove" ? 2 : 1;
      const bool range = w.size() > first + 1;
      out << (PeekMessageA(&m_msg, nullptr, range ? Message(w[first]) : 0,
                           range ? Message(w[first + 1]) : 0, first == 2 ? PM_REMOVE : PM_NOREMOVE)
                  ? Describe(m_msg)
                  : "none")
          << "\n";
    } else if (c == "get") {
      out << (GetMessageA(&m_msg, nullptr, 0, 0) ? "" : "false: ") << Describe(m_msg) << "\n";
    } else if (c == "dispatch") {
      out << "= " << DispatchMessageA(&m_msg) << "\n";
    } else if (c == "post") {
      const DWORD thread = w.at(1) == "main" ? m_main : Thread(w[1]).id;
      const UINT message = Message(w.at(2));
      const LPARAM lParam = w.size() > 4 ? std::stol(w[4]) : 0;
      for (long n = w.size() > 5 ? std::stol(w[5]) : 1; n > 0; --n) {
        if (PostThreadMessageA(thread, message, number(3), lParam)) continue;
        out << "not posted, error " << GetLastError() << "\n";
        break;
      }
    } else if (c == "quit") {
      PostQuitMessage(static_cast<int>(number(1)));
    } else if (c == "on" || c == "start") {
      const std::size_t at = line.find(w.at(1), line.find(c) + c.size()) + w[1].size() + 1;
      std::future<std::string> result =
          Send(Thread(w[1]), Command([this, rest = line.substr(at)] { return Run(rest); }));
      if (c == "on") out << result.get();
      else m_workers[w[1]].started = std::move(result);
    } else if (c == "end") {
      Worker& worker = m_workers.at(w.at(1));
      Send(worker, Command());
      if (worker.thread.joinable()) worker.thread.join();
      if (worker.started.valid()) out << worker.started.get();
#ifndef _WIN32
    } else if (c == "date") {
      SwkvTestClockSet(kOrigin + std::stoull(w.at(1)));
      if (!m_tick) m_tick = GetTickCount64();
    } else if (c == "advance") {
      SwkvTestClockAdvance(std::stoull(w.at(1)));
    } else if (c == "steps") {
      for (UINT at = number(2); at <= number(1); at += number(2)) {
        SwkvTestClockAdvance(number(2));
        if (const int n = swkv::test::PumpMessages()) out << "+" << at << ": " << n << " messages\n";
        std::lock_guard<std::mutex> lock(g_mutex);
        for (const std::string& call : g_fired) out << "  " << call << "\n";
        g_fired.clear();
      }
    } else if (c == "wall") {
      const ULONGLONG manual = GetTickCount64();
      SwkvTestClockReset();
      const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch()).count();
      out << "tick " << (GetTickCount64() >= manual ? "carries on" : "went back") << ", date "
          << (std::abs(static_cast<long long>(FileTime() / 10000) - wall) < 5000 ? "the system's\n"
                                                                                 : "another\n");
    } else if (c == "due") {
      const DWORD due = SwkvNextTimerDueMs();
      out << (due == INFINITE ? std::string("never") : std::to_string(due) + " ms") << "\n";
    } else if (c == "time") {
      out << "date +" << (FileTime() / 10000 - kOrigin) << (FileTime() % 10000 ? ".x" : "")
          << " ms, tick +" << GetTickCount64() - m_tick
          << " ms (" << GetTickCount() - static_cast<DWORD>(m_tick) << ")\n";
#endif
    } else {
      throw std::invalid_argument("no command " + c);
    }
    return out.str();
  }

  const DWORD m_main = GetCurrentThreadId();
  std::map<std::string, UINT_PTR> m_ids;
  std::map<std::string, Worker> m_workers;
  MSG m_msg{};
  ULONGLONG m_tick = 0;
};

SWKV_SESSION_TESTS(TimerSessionTest, TimerSession,
                   std::string(SWKV_TESTS_DIR) + "/timer/sessions");

}  // namespace
