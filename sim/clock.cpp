#include "sim/clock.h"

#include <chrono>

namespace swkv::sim {

int64_t Clock::Wall() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int64_t Clock::Now() const {
  if (m_follow) return m_follow() + m_offset;
  return m_stopped ? m_frozen : Wall() + m_offset;
}

void Clock::Stop() {
  if (m_stopped) return;
  m_frozen = Now();
  m_stopped = true;
}

void Clock::Start() {
  if (!m_stopped) return;
  m_stopped = false;
  if (!m_follow) m_offset = m_frozen - Wall();
}

void Clock::Advance(int64_t ms) {
  if (ms <= 0) return;
  if (m_stopped && !m_follow) {
    m_frozen += ms;
  } else {
    m_offset += ms;
  }
}

void Clock::Set(int64_t ms) { m_frozen = ms; }

void Clock::Follow(int64_t (*now)()) {
  // Leaving the host's clock, time goes on from where that clock stood.
  int64_t current = Now();
  m_follow = now;
  m_offset = 0;
  if (!now) {
    if (m_stopped) {
      m_frozen = current;
    } else {
      m_offset = current - Wall();
    }
  }
}

void Clock::Reset() { *this = Clock{}; }

}  // namespace swkv::sim
