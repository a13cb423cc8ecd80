// What DllRegisterServer and DllUnregisterServer do.
#pragma once

#include "platform/win.h"

namespace swkv {

// Runs the registration script of every class of the module's table with the module's path in
// place of %MODULE%, then registers the type library the module carries. The first failure's
// status.
HRESULT RegisterServer();
// Runs the scripts in removal mode and removes the type library's registration. The first
// failure's status (the entry point reports success whatever this returns).
HRESULT UnregisterServer();

}  // namespace swkv
