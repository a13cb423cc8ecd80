#include "platform/posix/message_queues.h"

#include <algorithm>
#include <chrono>

#include "platform/posix/process_clock.h"

namespace swkv::posix {
namespace {

// Windows' default bound on a thread's posted messages.
constexpr std::size_t kPostedLimit = 10000;

std::uint64_t Now() { return ProcessClock::Instance().TickMs(); }

// Gives the thread's queue back when the thread ends.
class QueueRelease {
 public:
  QueueRelease() = default;
  QueueRelease(const QueueRelease&) = delete;
  QueueRelease& operator=(const QueueRelease&) = delete;
  ~QueueRelease() {
    if (m_threadId != 0) MessageQueues::Instance().Forget(m_threadId);
  }
  void Watch(DWORD threadId) { m_threadId = threadId; }

 private:
  DWORD m_threadId = 0;
};

thread_local QueueRelease t_queueRelease;

}  // namespace

MessageQueues& MessageQueues::Instance() {
  // Never destroyed: threads that end after main still give their queues back.
  static MessageQueues* queues = new MessageQueues;
  return *queues;
}

MessageQueues::ThreadQueue& MessageQueues::OwnQueue() {
  DWORD self = GetCurrentThreadId();
  auto found = m_queues.find(self);
  if (found != m_queues.end()) return *found->second;
  auto& queue = m_queues[self];
  queue = std::make_unique<ThreadQueue>();
  t_queueRelease.Watch(self);
  return *queue;
}

MessageQueues::ThreadQueue* MessageQueues::FindQueue(DWORD threadId) {
  auto found = m_queues.find(threadId);
  return found == m_queues.end() ? nullptr : found->second.get();
}

UINT_PTR MessageQueues::NewTimerId() {
  auto inUse = [this](UINT_PTR id) {
    for (const auto& [thread, queue] : m_queues) {
      for (const Timer& timer : queue->timers)
        if (timer.id == id) return true;
    }
    return false;
  };
  // Wraps only after 2^64 timers; the skip keeps identifiers unique even then.
  while (m_nextTimerId == 0 || inUse(m_nextTimerId)) ++m_nextTimerId;
  return m_nextTimerId++;
}

UINT_PTR MessageQueues::ArmTimer(UINT_PTR id, UINT interval, TIMERPROC procedure) {
  std::lock_guard lock(m_lock);
  ThreadQueue& queue = OwnQueue();
  std::uint64_t due = Now() + interval;
  for (Timer& timer : queue.timers) {
    if (timer.id == id) {
      timer.interval = interval;
      timer.procedure = procedure;
      timer.due = due;
      return id;
    }
  }
  // Reserve first, so that a failed allocation does not use up an identifier.
  queue.timers.reserve(queue.timers.size() + 1);
  UINT_PTR newId = NewTimerId();
  queue.timers.push_back(Timer{newId, interval, procedure, due});
  return newId;
}

bool MessageQueues::KillTimer(UINT_PTR id) {
  std::lock_guard lock(m_lock);
  ThreadQueue& queue = OwnQueue();
  return std::erase_if(queue.timers, [id](const Timer& timer) { return timer.id == id; }) != 0;
}

bool MessageQueues::IsLiveTimer(UINT_PTR id, TIMERPROC procedure) {
  std::lock_guard lock(m_lock);
  ThreadQueue* queue = FindQueue(GetCurrentThreadId());
  if (!queue) return false;
  return std::any_of(queue->timers.begin(), queue->timers.end(), [&](const Timer& timer) {
    return timer.id == id && timer.procedure == procedure;
  });
}

bool MessageQueues::Post(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(m_lock);
  OwnQueue();
  ThreadQueue* target = FindQueue(threadId);
  if (!target) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return false;
  }
  if (target->posted.size() >= kPostedLimit) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return false;
  }
  target->posted.push_back(
      MSG{nullptr, message, wParam, lParam, static_cast<DWORD>(Now()), POINT{0, 0}});
  target->wake.notify_all();
  return true;
}

void MessageQueues::PostQuit(int exitCode) {
  std::lock_guard lock(m_lock);
  ThreadQueue& queue = OwnQueue();
  queue.quitRequested = true;
  queue.exitCode = exitCode;
}

bool MessageQueues::Retrieve(ThreadQueue& queue, MSG& msg, MessageFilter filter, bool remove) {
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!filter.Admits(it->message)) continue;
    msg = *it;
    if (remove) queue.posted.erase(it);
    return true;
  }
  std::uint64_t now = Now();
  if (queue.quitRequested) {
    msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(static_cast<LONG_PTR>(queue.exitCode)), 0,
              static_cast<DWORD>(now), POINT{0, 0}};
    if (remove) queue.quitRequested = false;
    return true;
  }
  if (!filter.Admits(WM_TIMER)) return false;
  Timer* next = nullptr;
  for (Timer& timer : queue.timers) {
    if (timer.due <= now && (!next || timer.due < next->due)) next = &timer;
  }
  if (!next) return false;
  msg = MSG{nullptr, WM_TIMER, next->id, reinterpret_cast<LPARAM>(next->procedure),
            static_cast<DWORD>(now), POINT{0, 0}};
  // However many periods were missed, one message stands for them all, and the next period is
  // counted from now.
  if (remove) next->due = now + next->interval;
  return true;
}

bool MessageQueues::Peek(MSG& msg, MessageFilter filter, bool remove) {
  std::lock_guard lock(m_lock);
  return Retrieve(OwnQueue(), msg, filter, remove);
}

std::optional<std::uint64_t> MessageQueues::NextDue(const ThreadQueue& queue) {
  std::optional<std::uint64_t> next;
  for (const Timer& timer : queue.timers) {
    if (!next || timer.due < *next) next = timer.due;
  }
  return next;
}

void MessageQueues::Wait(MSG& msg, MessageFilter filter) {
  std::unique_lock lock(m_lock);
  ThreadQueue& queue = OwnQueue();
  while (!Retrieve(queue, msg, filter, true)) {
    std::optional<std::uint64_t> due;
    if (filter.Admits(WM_TIMER)) due = NextDue(queue);
    // Under the manual clock no amount of waiting makes a timer due: only a post or a move of
    // the clock (both notify under m_lock, so neither slips past this check) can.
    if (due && !ProcessClock::Instance().IsManual()) {
      std::uint64_t now = Now();
      queue.wake.wait_for(lock, std::chrono::milliseconds(*due > now ? *due - now : 0));
    } else {
      queue.wake.wait(lock);
    }
  }
}

DWORD MessageQueues::NextTimerDueMs() {
  std::lock_guard lock(m_lock);
  ThreadQueue* queue = FindQueue(GetCurrentThreadId());
  std::optional<std::uint64_t> due;
  if (queue) due = NextDue(*queue);
  if (!due) return INFINITE;
  std::uint64_t now = Now();
  // Intervals are at most USER_TIMER_MAXIMUM, so the wait always fits below INFINITE.
  return *due > now ? static_cast<DWORD>(*due - now) : 0;
}

void MessageQueues::ClockMoved() {
  std::lock_guard lock(m_lock);
  for (auto& [thread, queue] : m_queues) queue->wake.notify_all();
}

void MessageQueues::Forget(DWORD threadId) {
  std::lock_guard lock(m_lock);
  m_queues.erase(threadId);
}

}  // namespace swkv::posix
