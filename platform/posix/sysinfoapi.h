// The system version query for the POSIX build.
#pragma once

#include "platform/posix/windef.h"

extern "C" {
// The version word of the system: major version in the low byte, minor version in the next byte,
// build number in the high word. The high bit is clear: we report a system of the NT family.
DWORD GetVersion(void);
}
