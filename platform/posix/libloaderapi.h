// Modules of the POSIX build. A module handle (HMODULE, HINSTANCE) is, as on Windows, the address
// at which the module's image starts: the load address of its ELF header.
#pragma once

#include "platform/posix/windef.h"

extern "C" {

// The full path of module's file (the main program's for a null module). The path is cut to
// size - 1 characters plus terminator when it does not fit; then size is returned and the last
// error is ERROR_INSUFFICIENT_BUFFER. 0 with ERROR_MOD_NOT_FOUND for an address that is not the
// start of a loaded module.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

}  // extern "C"
