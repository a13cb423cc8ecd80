// Every library call of the benchmarked component passes through here on its way to the
// controller library (the linker wraps each ra* function, see bench/CMakeLists.txt). A benchmark
// can record the calls that one operation makes, with their arguments, and then make exactly
// those calls on the library directly, without the component: the time of the component's own
// work is the difference.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/library_functions.h"

namespace swkv::bench {

struct RecordedCall {
  Fn fn;
  std::vector<std::int64_t> args;   // the numbers passed (the index behind a selection pointer,
                                    // the value of a setting written)
  std::string text;                 // a name passed
  std::vector<std::uint32_t> list;  // disk numbers passed
};

// Records the calls made between construction and Stop (or destruction). One at a time.
class CallRecorder {
 public:
  CallRecorder();
  ~CallRecorder();
  CallRecorder(const CallRecorder&) = delete;
  CallRecorder& operator=(const CallRecorder&) = delete;

  std::vector<RecordedCall> Stop();

 private:
  std::vector<RecordedCall> m_calls;
  bool m_recording = true;
};

// Makes the recorded calls on the library, in order, with scratch buffers for what it writes.
void Replay(const std::vector<RecordedCall>& calls);

}  // namespace swkv::bench
