// The "FileVersion" a module file carries in its version block, as --version shows it for the
// registered component.
#pragma once

#include <string>

namespace swkv::ctl {

// The module's FileVersion text (of its first translation); empty when the file has no version
// block or none that can be read.
std::string ModuleFileVersion(const std::string& path);

}  // namespace swkv::ctl
