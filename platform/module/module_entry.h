// The start-up and exit of a component module, and the file it was loaded from. The platform
// calls ModuleAttach when the module is loaded into a process (before any of its entry points
// can be called) and ModuleDetach when it is unloaded; the component implements both. The
// sources beside this header are compiled into the module itself, not into a shared library.
#pragma once

#include <string>

#include "platform/win.h"

namespace swkv {

void ModuleAttach(HINSTANCE instance) noexcept;
void ModuleDetach() noexcept;

// The full path of the module's file; empty when it cannot be found.
std::string ModuleFilePath(HINSTANCE instance);

}  // namespace swkv
