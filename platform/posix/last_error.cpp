// The calling thread's last error, as GetLastError reports it.
#include "platform/win.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

extern "C" {
DWORD GetLastError(void) { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }
}
