// The instance handle of the module this code is linked into: the component's DLL or shared
// library in the component, the test program in a test. Resources (the string table, the version
// block) and the module's own file path are reached through it.
#pragma once

#include "platform/win.h"

// Each module binds to its own copy: a module linked into a program that has one as well must
// not answer with the program's handle.
#ifdef _WIN32
#define SWKV_MODULE_LOCAL
#else
#define SWKV_MODULE_LOCAL __attribute__((visibility("hidden")))
#endif

namespace swkv {

// Never null once the module is loaded; the same value for the module's whole lifetime.
SWKV_MODULE_LOCAL HINSTANCE ModuleInstance() noexcept;

// Keeps the module loaded until the process ends, whatever its host does later: code that has
// handed the system a callback into the module (the polling timer, which is never killed) must
// not be unloaded under it. Later calls do nothing.
SWKV_MODULE_LOCAL void PinModule() noexcept;

}  // namespace swkv
