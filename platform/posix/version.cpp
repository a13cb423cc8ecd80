// The system version as GetVersion reports it.
#include "platform/win.h"

extern "C" DWORD GetVersion(void) {
  // Version 6.2, build 9200: what current Windows reports to programs that do not declare
  // themselves for a later version. An NT-family system, so the high bit is clear.
  constexpr DWORD kMajor = 6;
  constexpr DWORD kMinor = 2;
  constexpr DWORD kBuild = 9200;
  return kMajor | (kMinor << 8) | (kBuild << 16);
}
