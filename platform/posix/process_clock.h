// The library's one process clock, read by the tick count, the system time and the timers.
#pragma once

#include <cstdint>
#include <mutex>

namespace swkv::posix {

// Two readings: the tick (milliseconds on a steady timeline that never jumps, the timeline of
// the timers) and the calendar (time since 1970). Under the wall clock the tick is the system's
// monotonic clock and the calendar the real time; under the manual clock both stand still until
// Advance moves them together. Switching clocks keeps the tick continuous.
class ProcessClock {
 public:
  static ProcessClock& Instance();

  std::uint64_t TickMs();
  bool IsManual();
  // 100-ns units since 1970.
  std::uint64_t UnixHundredNs();

  void SetManual(std::uint64_t unixMs);
  void Advance(std::uint64_t ms);
  void UseWall();

 private:
  std::uint64_t TickLocked() const;

  std::mutex m_lock;
  bool m_manual = false;
  std::uint64_t m_manualTick = 0;
  std::uint64_t m_manualUnixMs = 0;
  // Added to the monotonic clock under the wall clock, so that the tick resumes from the manual
  // tick after a reset (unsigned arithmetic: it may "go negative" and wrap back).
  std::uint64_t m_wallTickOffset = 0;
};

}  // namespace swkv::posix
