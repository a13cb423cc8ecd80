// The manual clock that tests put in place of the wall clock (platform/test_clock.h). Every
// change wakes the threads waiting in GetMessageA, so they look at their timers again.
#include "platform/test_clock.h"

#include "platform/posix/message_queues.h"
#include "platform/posix/process_clock.h"

using swkv::posix::MessageQueues;
using swkv::posix::ProcessClock;

extern "C" {

void SwkvTestClockSet(std::uint64_t unixMs) {
  ProcessClock::Instance().SetManual(unixMs);
  MessageQueues::Instance().ClockMoved();
}

void SwkvTestClockAdvance(std::uint64_t ms) {
  ProcessClock::Instance().Advance(ms);
  MessageQueues::Instance().ClockMoved();
}

void SwkvTestClockReset(void) {
  ProcessClock::Instance().UseWall();
  MessageQueues::Instance().ClockMoved();
}
}
