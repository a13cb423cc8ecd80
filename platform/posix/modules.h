// Module handles inside the POSIX platform library.
#pragma once

#include <string>

#include "platform/posix/windef.h"

namespace swkv::posix {

// The handle of the main program: where its ELF header is loaded.
HMODULE MainModule() noexcept;

// The file path of module (the main program's for null). False when module is not the start of
// a loaded module.
bool ModuleFilePath(HMODULE module, std::string& path);

}  // namespace swkv::posix
