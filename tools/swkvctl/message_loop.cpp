#include "tools/swkvctl/message_loop.h"

#include <algorithm>
#include <cstdlib>

#include "tools/swkvctl/failure.h"

namespace swkv::ctl {

bool Speed::Parse(const std::string& text, Speed& speed) {
  if (text == "max") {
    speed.mode = Mode::kMax;
    return true;
  }
  char* end = nullptr;
  double factor = std::strtod(text.c_str(), &end);
  if (text.empty() || !end || *end != '\0' || !(factor >= 1) || factor > 1e6) return false;
  speed.mode = factor == 1 ? Mode::kReal : Mode::kFactor;
  speed.factor = factor;
  return true;
}

std::string Speed::Describe() const {
  switch (mode) {
    case Mode::kReal: return "";
    case Mode::kMax: return "time runs as fast as it can";
    case Mode::kFactor: {
      std::string number = std::to_string(factor);
      number.erase(number.find_last_not_of('0') + 1);
      if (!number.empty() && number.back() == '.') number.pop_back();
      return "time runs " + number + " times as fast";
    }
  }
  return "";
}

void MessageLoop::Begin() {
  if (m_speed.mode == Speed::Mode::kReal || m_lapse.active()) return;
  std::string why;
  if (!m_lapse.Begin(why)) throw Failure(kExitUsage, "--speed cannot be used here: " + why);
}

int MessageLoop::DispatchWaiting() {
  int dispatched = 0;
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    ++dispatched;
  }
  return dispatched;
}

void MessageLoop::AdvanceTowards(std::uint64_t deadline) {
  const std::uint64_t now = ClockMilliseconds();
  if (now >= deadline) return;
  std::uint64_t step = deadline - now;
  // Without a timer (the component arms it with its first array) time moves a second at a time.
  const DWORD due = NextTimerDueMs();
  step = std::min<std::uint64_t>(step, due == INFINITE ? 1000 : std::max<DWORD>(due, 1));
  if (!m_lapse.active()) {
    WaitForMessages(static_cast<DWORD>(std::min<std::uint64_t>(step, 0x7FFFFFFF)));
    return;
  }
  if (m_speed.mode == Speed::Mode::kFactor)
    WaitForMessages(static_cast<DWORD>(static_cast<double>(step) / m_speed.factor));
  if (!Interrupted()) m_lapse.Advance(step);
}

bool MessageLoop::RunOnePass(std::uint64_t deadline) {
  for (;;) {
    if (DispatchWaiting() > 0) return true;
    if (ClockMilliseconds() >= deadline || Interrupted()) return false;
    AdvanceTowards(deadline);
  }
}

}  // namespace swkv::ctl
