// Sessions of a host's message loop: each file in sessions/ is a list of calls of the thread
// message queue and the window-less timers, each followed by what it gave. Sessions named
// "clock_..." step the POSIX library's manual clock and run there only; "timer_ids..." hold
// on Windows and on the POSIX library, not on Wine; the others hold everywhere.
//   arm NAME MS [record|nested|quiet]  a new timer (nested: its procedure pumps messages too)
//   rearm NAME MS [PROC]            SetTimer again with the timer's identifier
//   arm-window MS                   SetTimer on a window handle that is none
//   kill NAME                       KillTimer
//   pump                            every message the queue yields now, dispatched
//   peek [remove] [FIRST LAST] / get / dispatch
//                                   PeekMessage (PM_NOREMOVE unless "remove") or GetMessage:
//                                   the message; dispatch: the last message taken
//   forge NAME                      a WM_TIMER of NAME's identifier naming another procedure,
//                                   dispatched
//   post THREAD MESSAGE WPARAM [LPARAM] / quit CODE
//   thread T / on T COMMAND / start T COMMAND / join T / end T
//                                   a thread that runs commands: at once, or started and
//                                   waited for; end lets the thread return
//   date MS / advance MS / wall / due [MS] / time / waited NAME
//                                   the manual clock set to MS after the session's origin (the
//                                   date only), moved on, left for the wall clock; the next
//                                   timer's wait; the file time and tick from the origin;
//                                   whether NAME's interval passed since it was armed
// A procedure's call is shown after the command it ran in: "fired NAME on THREAD".
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/test_clock.h"
#include "platform/win.h"
#include "tests/support/replay.h"
#include "tests/support/system_traits.h"

namespace {

constexpr std::uint64_t kOrigin = 1700000000000;  // 2023-11-14 22:13:20 UTC, in ms
constexpr std::uint64_t kFileTimeOf1970 = 116444736000000000;

std::mutex g_mutex;
std::map<UINT_PTR, std::string> g_names;      // timer identifier -> name
std::map<DWORD, std::string> g_threads;       // thread identifier -> name
std::vector<std::string> g_fired;
int g_depth = 0;

std::string Name(UINT_PTR id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_names.count(id) ? g_names[id] : "id " + std::to_string(id);
}

void CALLBACK Record(HWND window, UINT message, UINT_PTR id, DWORD time) {
  std::string call = "fired " + Name(id);
  std::lock_guard<std::mutex> lock(g_mutex);
  call += " on " + g_threads[GetCurrentThreadId()];
  if (window) call += ", a window";
  if (message != WM_TIMER) call += ", message " + std::to_string(message);
  if (time != GetTickCount()) call += ", another time";
  if (g_depth) call += ", nested";
  g_fired.push_back(call);
}
int Pump() {
  int count = 0;
  for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++count) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return count;
}
void CALLBACK Nested(HWND window, UINT message, UINT_PTR id, DWORD time) {
  Record(window, message, id, time);
  ++g_depth;
  Pump();
  --g_depth;
}
void CALLBACK Quiet(HWND, UINT, UINT_PTR, DWORD) {}
void CALLBACK Stray(HWND, UINT, UINT_PTR id, DWORD) {
  const std::string call = "stray " + Name(id);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_fired.push_back(call);
}

const std::map<std::string, TIMERPROC> kProcedures = {
    {"record", Record}, {"nested", Nested}, {"quiet", Quiet}, {"stray", Stray}};

std::string Describe(const MSG& m) {
  std::string text = m.message == WM_TIMER ? "timer"
                     : m.message == WM_QUIT ? "quit"
                     : m.message >= WM_APP  ? "app+" + std::to_string(m.message - WM_APP)
                     : m.message >= WM_USER ? "user+" + std::to_string(m.message - WM_USER)
                                            : std::to_string(m.message);
  if (m.message == WM_TIMER) {
    text += " " + Name(m.wParam);
    for (const auto& [name, procedure] : kProcedures)
      if (m.lParam == reinterpret_cast<LPARAM>(procedure)) text += " " + name;
  } else {
    text += " " + std::to_string(m.wParam) + (m.lParam ? " " + std::to_string(m.lParam) : "");
  }
  return text + (m.hwnd ? " window" : "");
}

UINT Message(const std::string& word) {
  if (word == "timer") return WM_TIMER;
  if (word.starts_with("user+")) return WM_USER + std::stoul(word.substr(5));
  if (word.starts_with("app+")) return WM_APP + std::stoul(word.substr(4));
  return std::stoul(word);
}

class TimerSession {
 public:
  ~TimerSession() {
    for (auto& [name, worker] : m_workers) Run("end " + name);
    for (const auto& [name, id] : m_ids) KillTimer(nullptr, id);
#ifndef _WIN32
    SwkvTestClockReset();
#endif
    std::lock_guard<std::mutex> lock(g_mutex);
    g_names.clear();
    g_fired.clear();
  }

  std::string Run(const std::string& line) {
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_threads.try_emplace(GetCurrentThreadId(), "main");
    }
    std::string out;
    try {
      out = Do(line);
    } catch (const std::exception& e) {
      out = std::string("usage: ") + e.what() + "\n";
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const std::string& call : g_fired) out += call + "\n";
    g_fired.clear();
    return out;
  }

 private:
  struct Worker {
    std::thread thread;
    DWORD id = 0;
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<std::string> command, result;
    bool end = false;
  };

  void Serve(Worker& w) {
    std::unique_lock<std::mutex> lock(w.mutex);
    for (;;) {
      w.changed.wait(lock, [&] { return w.command || w.end; });
      if (!w.command) return;
      const std::string command = *w.command;
      lock.unlock();
      std::string result = Run(command);
      lock.lock();
      w.command.reset();
      w.result = result;
      w.changed.notify_all();
    }
  }

  Worker& Thread(const std::string& name) {
    auto [it, made] = m_workers.try_emplace(name);
    Worker& w = it->second;
    if (made) {
      std::promise<DWORD> started;
      w.thread = std::thread([&, name] {
        {
          std::lock_guard<std::mutex> lock(g_mutex);
          g_threads[GetCurrentThreadId()] = name;
        }
        started.set_value(GetCurrentThreadId());
        Serve(w);
      });
      w.id = started.get_future().get();
    }
    return w;
  }

  std::string Join(Worker& w) {
    std::unique_lock<std::mutex> lock(w.mutex);
    w.changed.wait(lock, [&] { return w.result.has_value(); });
    std::string result = *w.result;
    w.result.reset();
    return result;
  }

  std::string Do(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string word; in >> word;) w.push_back(word);
    if (w.empty()) throw std::invalid_argument("an empty command");
    auto need = [&](std::size_t n) {
      if (w.size() < n + 1) throw std::invalid_argument(w[0] + ": too few words");
    };
    auto number = [&](std::size_t i) { return static_cast<UINT>(std::stoul(w.at(i))); };
    auto rest = [&](std::size_t words) {
      std::size_t at = 0;
      for (std::size_t i = 0; i < words; ++i) at = line.find(' ', line.find_first_not_of(' ', at));
      return line.substr(line.find_first_not_of(' ', at));
    };
    const std::string& c = w[0];
    std::ostringstream out;
    if (c == "arm" || c == "rearm") {
      need(2);
      const UINT_PTR id = SetTimer(nullptr, c == "arm" ? 0 : m_ids.at(w[1]), number(2),
                                   kProcedures.at(w.size() > 3 ? w[3] : "record"));
      if (!id) out << "failed " << GetLastError() << "\n";
      if (c == "rearm") out << (id == m_ids[w[1]] ? "the same timer\n" : "another timer\n");
      std::lock_guard<std::mutex> lock(g_mutex);
      for (const auto& [name, other] : m_ids)
        if (c == "arm" && other == id) out << "the identifier of " << name << "\n";
      m_ids[w[1]] = id;
      m_armedAt[w[1]] = GetTickCount64();
      g_names[id] = w[1];
    } else if (c == "arm-window") {
      need(1);
      const UINT_PTR id = SetTimer(reinterpret_cast<HWND>(0x1234), 1, number(1), Quiet);
      out << id << " error " << GetLastError() << "\n";
    } else if (c == "kill") {
      need(1);
      out << (KillTimer(nullptr, m_ids.at(w[1])) ? "killed\n" : "not killed\n");
    } else if (c == "pump") {
      out << Pump() << " messages\n";
    } else if (c == "peek") {
      const bool remove = w.size() > 1 && w[1] == "remove";
      const std::size_t first = remove ? 2 : 1;
      const UINT low = w.size() > first + 1 ? Message(w[first]) : 0;
      const UINT high = w.size() > first + 1 ? Message(w[first + 1]) : 0;
      out << (PeekMessageA(&m_msg, nullptr, low, high, remove ? PM_REMOVE : PM_NOREMOVE)
                  ? Describe(m_msg)
                  : "none")
          << "\n";
    } else if (c == "get") {
      const BOOL got = GetMessageA(&m_msg, nullptr, 0, 0);
      out << (got ? "" : "false: ") << Describe(m_msg) << "\n";
    } else if (c == "dispatch") {
      out << "= " << DispatchMessageA(&m_msg) << "\n";
    } else if (c == "forge") {
      need(1);
      MSG forged{nullptr, WM_TIMER, m_ids.at(w[1]), reinterpret_cast<LPARAM>(Stray), 0, {0, 0}};
      out << "= " << DispatchMessageA(&forged) << "\n";
    } else if (c == "post") {
      need(3);
      const DWORD thread = w[1] == "main" ? m_main : Thread(w[1]).id;
      const LPARAM l = w.size() > 4 ? std::stol(w[4]) : 0;
      if (!PostThreadMessageA(thread, Message(w[2]), number(3), l))
        out << "not posted, error " << GetLastError() << "\n";
    } else if (c == "quit") {
      need(1);
      PostQuitMessage(static_cast<int>(number(1)));
    } else if (c == "thread") {
      need(1);
      Thread(w[1]);
    } else if (c == "on" || c == "start") {
      need(2);
      Worker& worker = Thread(w[1]);
      {
        std::lock_guard<std::mutex> lock(worker.mutex);
        worker.command = rest(2);
        worker.changed.notify_all();
      }
      if (c == "on") out << Join(worker);
    } else if (c == "join") {
      need(1);
      out << Join(m_workers.at(w[1]));
    } else if (c == "end") {
      need(1);
      Worker& worker = m_workers.at(w[1]);
      {
        std::lock_guard<std::mutex> lock(worker.mutex);
        worker.end = true;
        worker.changed.notify_all();
      }
      if (worker.thread.joinable()) worker.thread.join();
    } else if (c == "waited") {
      need(1);
      const ULONGLONG waited = GetTickCount64() - m_armedAt.at(w[1]);
      out << (waited >= USER_TIMER_MINIMUM ? "at least" : "less than") << " the interval\n";
#ifndef _WIN32
    } else if (c == "date") {
      need(1);
      SwkvTestClockSet(kOrigin + std::stoull(w[1]));
      if (!m_tick) m_tick = GetTickCount64();
    } else if (c == "advance") {
      need(1);
      SwkvTestClockAdvance(std::stoull(w[1]));
    } else if (c == "wall") {
      const ULONGLONG manual = GetTickCount64();
      SwkvTestClockReset();
      out << "tick " << (GetTickCount64() >= manual ? "carries on" : "went back") << ", date ";
      const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch()).count();
      out << (std::abs(static_cast<long long>(FileTime() / 10000) - wall) < 5000 ? "the system's\n"
                                                                                 : "another\n");
    } else if (c == "due") {
      const DWORD due = SwkvNextTimerDueMs();
      if (w.size() > 1)
        out << (due <= number(1) ? "within " : "later than ") << w[1] << " ms\n";
      else
        out << (due == INFINITE ? std::string("never") : std::to_string(due) + " ms") << "\n";
    } else if (c == "time") {
      out << "date +" << (FileTime() / 10000 - kOrigin) << " ms, tick +" << GetTickCount64() - m_tick
          << " ms (" << GetTickCount() - static_cast<DWORD>(m_tick) << ")\n";
#endif
    } else {
      throw std::invalid_argument("no command " + c);
    }
    return out.str();
  }

  static std::uint64_t FileTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime) - kFileTimeOf1970;
  }

  const DWORD m_main = GetCurrentThreadId();
  std::map<std::string, UINT_PTR> m_ids;
  std::map<std::string, ULONGLONG> m_armedAt;
  std::map<std::string, Worker> m_workers;
  MSG m_msg{};
  ULONGLONG m_tick = 0;
};

std::string SessionsDir() { return std::string(SWKV_TESTS_DIR) + "/timer/sessions"; }

class TimerSessionTest : public ::testing::TestWithParam<std::string> {};

TEST_P(TimerSessionTest, ReplaysTheSession) {
#ifdef _WIN32
  if (GetParam().starts_with("clock")) GTEST_SKIP() << "the manual clock is the POSIX library's";
#endif
  if (GetParam().starts_with("timer_ids") && swkv::test::RunningOnWine())
    GTEST_SKIP() << "Wine numbers timers per thread and dispatches any procedure a message names";
  TimerSession session;
  swkv::test::CheckSession(SessionsDir() + "/" + GetParam() + ".txt",
                           [&](const std::string& command) { return session.Run(command); });
}

INSTANTIATE_TEST_SUITE_P(Sessions, TimerSessionTest,
                         ::testing::ValuesIn(swkv::test::SessionNames(SessionsDir())),
                         [](const auto& test) { return test.param; });

}  // namespace
