// The message loop of swkvctl's one thread, which is the component's apartment: the component's
// polling timer fires only while this loop dispatches.
#pragma once

#include <cstdint>
#include <string>

#include "tools/swkvctl/host_system.h"

namespace swkv::ctl {

// How fast time passes while swkvctl waits for the component's timer.
struct Speed {
  enum class Mode { kReal, kFactor, kMax } mode = Mode::kReal;
  double factor = 1;

  // "20" (a factor, 1 or more) or "max" (no pauses); false for anything else.
  static bool Parse(const std::string& text, Speed& speed);
  std::string Describe() const;  // "", "time runs 20 times as fast", "time runs as fast as it can"
};

class MessageLoop {
 public:
  explicit MessageLoop(Speed speed) : m_speed(speed) {}
  ~MessageLoop() { End(); }
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // Starts a time-lapse when the speed asks for one. Throws Failure when it cannot be had. It
  // begins before the component creates its tree, so that the component's timer is armed on the
  // lapsed clock and falls due exactly a period later on both clocks.
  void Begin();
  void End() { m_lapse.End(); }
  const Speed& speed() const { return m_speed; }
  // Dispatches every message that is waiting; returns the number dispatched.
  int DispatchWaiting();
  // Lets time pass until the next timer falls due or the clock reaches deadline (milliseconds of
  // ClockMilliseconds), whichever comes first.
  void AdvanceTowards(std::uint64_t deadline);
  // Runs until one message was dispatched (a polling pass) or the clock reached deadline; true
  // when one was.
  bool RunOnePass(std::uint64_t deadline);

 private:
  Speed m_speed;
  TimeLapse m_lapse;
};

}  // namespace swkv::ctl
