// POSIX: the environment and the process id from the C library.
#ifndef _WIN32

#include <stdlib.h>
#include <unistd.h>

#include "tests/support/files.h"

namespace swkv::test {

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

void SetEnv(const char* name, const char* value) {
  if (value) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
}

std::optional<std::string> GetEnv(const char* name) {
  const char* value = ::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace swkv::test

#endif
