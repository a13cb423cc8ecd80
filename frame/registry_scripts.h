// The registration scripts the component module carries (frame/*.rgs), by resource number.
#pragma once

#include <string_view>

#include "platform/win.h"

namespace swkv {

// The main class's script, run by DllRegisterServer and DllUnregisterServer.
inline constexpr UINT IDR_SWKVRAID = 102;
// The event log class's script: carried for completeness, never run, since the class is not
// creatable (its interface is reached only through a controller node).
inline constexpr UINT IDR_EVENTLOG = 103;

// The text of a script; empty for a number the module has no script for.
std::string_view RegistryScript(UINT id);

}  // namespace swkv
