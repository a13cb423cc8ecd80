// How a module of the POSIX build carries the resources that a Windows module gets from its
// resource script. Only the POSIX build compiles the sources that include this header; the
// Windows build compiles the .rc file instead.
#pragma once

#ifdef _WIN32
#error "Windows modules take their resources from the resource script"
#else
#include "platform/posix/resource_script.h"
#endif
