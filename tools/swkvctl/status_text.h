// Status words in words: the name an operator can look up, and the number.
#pragma once

#include <string>

#include "platform/win.h"

namespace swkv::ctl {

// "S_OK", "S_FALSE", "E_FAIL", ...; "status" for a value without a known name.
const char* StatusName(HRESULT status);
// "S_OK (0x00000000)".
std::string StatusText(HRESULT status);

}  // namespace swkv::ctl
