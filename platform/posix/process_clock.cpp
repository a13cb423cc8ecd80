// The process clock, and the calls that read it: GetTickCount and GetSystemTimeAsFileTime.
#include "platform/posix/process_clock.h"

#include <ctime>
#include <limits>


#include "platform/win.h"

namespace swkv::posix {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
// 100-ns units from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kEpochDifference = 116444736000000000ull;

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return b > kMax - a ? kMax : a + b; }

std::uint64_t SaturatingMultiply(std::uint64_t a, std::uint64_t b) {
  return a != 0 && b > kMax / a ? kMax : a * b;
}

timespec Read(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return now;
}

std::uint64_t MonotonicMs() {
  timespec now = Read(CLOCK_MONOTONIC);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

}  // namespace

ProcessClock& ProcessClock::Instance() {
  // Never destroyed: threads that end after main may still read it.
  static ProcessClock* clock = new ProcessClock;
  return *clock;
}

std::uint64_t ProcessClock::TickLocked() const {
  return m_manual ? m_manualTick : MonotonicMs() + m_wallTickOffset;
}

std::uint64_t ProcessClock::TickMs() {
  std::lock_guard lock(m_lock);
  return TickLocked();
}

bool ProcessClock::IsManual() {
  std::lock_guard lock(m_lock);
  return m_manual;
}

std::uint64_t ProcessClock::UnixHundredNs() {
  std::lock_guard lock(m_lock);
  if (m_manual) return SaturatingMultiply(m_manualUnixMs, 10000u);
  timespec now = Read(CLOCK_REALTIME);
  if (now.tv_sec < 0) return 0;
  return static_cast<std::uint64_t>(now.tv_sec) * 10000000u +
         static_cast<std::uint64_t>(now.tv_nsec) / 100u;
}

void ProcessClock::SetManual(std::uint64_t unixMs) {
  std::lock_guard lock(m_lock);
  if (!m_manual) {
    m_manualTick = TickLocked();
    m_manual = true;
  }
  m_manualUnixMs = unixMs;
}

void ProcessClock::Advance(std::uint64_t ms) {
  std::lock_guard lock(m_lock);
  if (!m_manual) {
    m_manualTick = TickLocked();
    timespec now = Read(CLOCK_REALTIME);
    m_manualUnixMs = now.tv_sec < 0 ? 0
                                    : static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                          static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    m_manual = true;
  }
  m_manualTick = SaturatingAdd(m_manualTick, ms);
  m_manualUnixMs = SaturatingAdd(m_manualUnixMs, ms);
}

void ProcessClock::UseWall() {
  std::lock_guard lock(m_lock);
  if (!m_manual) return;
  m_wallTickOffset = m_manualTick - MonotonicMs();
  m_manual = false;
}

}  // namespace swkv::posix

using swkv::posix::ProcessClock;

extern "C" {

DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(ProcessClock::Instance().TickMs()); }

ULONGLONG WINAPI GetTickCount64(void) { return ProcessClock::Instance().TickMs(); }

void WINAPI GetSystemTimeAsFileTime(LPFILETIME systemTime) {
  if (!systemTime) return;
  std::uint64_t since1601 =
      swkv::posix::SaturatingAdd(ProcessClock::Instance().UnixHundredNs(),
                                 swkv::posix::kEpochDifference);
  systemTime->dwLowDateTime = static_cast<DWORD>(since1601);
  systemTime->dwHighDateTime = static_cast<DWORD>(since1601 >> 32);
}

}
