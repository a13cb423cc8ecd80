// Reading one named section of an ELF file, for the resources a module carries in its file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/windef.h"

namespace swkv::posix {

// Reads the contents of the section called name from the ELF file at path. On failure returns
// the Windows error a caller reports: the open error, ERROR_BAD_FORMAT for a file that is not a
// well-formed ELF file of this machine's byte order, ERROR_RESOURCE_TYPE_NOT_FOUND when there is
// no such section (or it is empty), ERROR_INVALID_DATA when it is larger than limit.
DWORD ReadElfSection(const char* path, std::string_view name, std::size_t limit,
                     std::vector<BYTE>& contents);

}  // namespace swkv::posix
