// GUIDs as registry text, inside the POSIX platform library.
#pragma once

#include <string>

#include "platform/posix/objbase.h"

namespace swkv::posix {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, as Windows writes class and library ids.
std::string GuidText(REFGUID guid);

}  // namespace swkv::posix
