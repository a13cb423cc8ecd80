// POSIX: the Windows API is our own platform library.
#ifndef _WIN32

#include "tests/support/system_traits.h"

namespace swkv::test {

bool RunningOnWine() { return false; }

}  // namespace swkv::test

#endif
