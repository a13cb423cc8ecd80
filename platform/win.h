// The one header through which the component reaches the operating system.
//
// On Windows it is the SDK itself. Elsewhere it is our own stand-in library, which provides the
// subset of the Windows API the component calls under the same names, signatures, handles and
// status values, so that the subsystem folders read the same on both systems.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>
#include <ocidl.h>
#else
#include "platform/posix/windef.h"
#include "platform/posix/objbase.h"
#include "platform/posix/oleauto.h"
#include "platform/posix/winnls.h"
#include "platform/posix/winreg.h"
#include "platform/posix/sysinfoapi.h"
#include "platform/posix/winuser.h"
#include "platform/posix/libloaderapi.h"
#include "platform/posix/winver.h"
#include "platform/posix/winbase.h"
#include "platform/posix/synchapi.h"
#endif
