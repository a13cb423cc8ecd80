// The message queues and timers of all threads, behind one lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/win.h"

namespace swkv::posix {

// The message range a retrieval accepts: 0, 0 is every message, and WM_QUIT passes any range.
struct MessageFilter {
  UINT first = 0;
  UINT last = 0;

  bool Admits(UINT message) const {
    return message == WM_QUIT || (first == 0 && last == 0) || (first <= message && message <= last);
  }
};

// Each thread gets its queue with its first call of a message or timer function and loses it,
// with its timers, when it ends. Every operation acts on the calling thread's queue except Post,
// which reaches another thread's. Timer procedures are never called here: retrieval only hands
// out the WM_TIMER message, so the lock is never held while component code runs.
class MessageQueues {
 public:
  static MessageQueues& Instance();

  // The operations behind SetTimer and KillTimer (winuser.h); the interval is already clamped.
  UINT_PTR ArmTimer(UINT_PTR id, UINT interval, TIMERPROC procedure);
  bool KillTimer(UINT_PTR id);
  // Whether the calling thread has a timer with this identifier and procedure.
  bool IsLiveTimer(UINT_PTR id, TIMERPROC procedure);

  // Queues a message for the thread; false with the last error set when it cannot.
  bool Post(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
  void PostQuit(int exitCode);

  // Takes (or with remove false, copies) the next admitted message: posted messages first, in
  // order, then a quit request, then the timer that has been due longest.
  bool Peek(MSG& msg, MessageFilter filter, bool remove);
  // Like Peek with remove, waiting until there is a message.
  void Wait(MSG& msg, MessageFilter filter);

  // Milliseconds until the calling thread's next timer is due; INFINITE when it has none.
  DWORD NextTimerDueMs();

  // Wakes every waiting thread after the process clock was moved or switched.
  void ClockMoved();

  // Drops the queue and timers of a thread that has ended.
  void Forget(DWORD threadId);

 private:
  struct Timer {
    UINT_PTR id;
    UINT interval;
    TIMERPROC procedure;
    std::uint64_t due;  // on the process clock's tick
  };

  struct ThreadQueue {
    std::deque<MSG> posted;
    bool quitRequested = false;
    int exitCode = 0;
    std::vector<Timer> timers;
    std::condition_variable wake;
  };

  // The calling thread's queue, created on first use. m_lock held.
  ThreadQueue& OwnQueue();
  ThreadQueue* FindQueue(DWORD threadId);
  UINT_PTR NewTimerId();
  bool Retrieve(ThreadQueue& queue, MSG& msg, MessageFilter filter, bool remove);
  static std::optional<std::uint64_t> NextDue(const ThreadQueue& queue);

  std::mutex m_lock;
  std::unordered_map<DWORD, std::unique_ptr<ThreadQueue>> m_queues;
  UINT_PTR m_nextTimerId = 1;
};

}  // namespace swkv::posix
