// Windows: the environment and the process id from the system.
#ifdef _WIN32

#include "platform/win.h"
#include "tests/support/files.h"

namespace swkv::test {

void SetEnv(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }

unsigned long ProcessId() { return GetCurrentProcessId(); }

std::optional<std::string> GetEnv(const char* name) {
  const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::string value(size, '\0');
  const DWORD length = GetEnvironmentVariableA(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

}  // namespace swkv::test

#endif
