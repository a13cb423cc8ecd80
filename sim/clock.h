// The model's clock: the wall clock, or a clock a test stops and moves, or the host's own clock.
#pragma once

#include <cstdint>

namespace swkv::sim {

class Clock {
 public:
  // Milliseconds since 1970.
  int64_t Now() const;
  bool stopped() const { return m_stopped && !m_follow; }

  void Stop();
  void Start();
  void Advance(int64_t ms);
  void Set(int64_t ms);  // a stopped clock's time
  void Follow(int64_t (*now)());
  void Reset();  // back to the wall clock

 private:
  static int64_t Wall();

  int64_t (*m_follow)() = nullptr;
  bool m_stopped = false;
  int64_t m_frozen = 0;  // the time while stopped
  int64_t m_offset = 0;  // added to the running clock
};

}  // namespace swkv::sim
