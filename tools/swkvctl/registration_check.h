// Whether the component's registration is whole: a registration stopped half way (the process
// killed, the machine off) leaves the class reachable but the agent's entry or the type library
// missing, and the agent then cannot find the component or call it through IDispatch.
#pragma once

#include <string>

#include "tools/swkvctl/registration.h"

namespace swkv::ctl {

// True when every key and value that registering the module writes is there: those of its
// registration script (the ProgIDs, the class, the agent's IO_CLSID entry) and those of its type
// library's registration (the library's path this module, and the key of each automation
// interface). Otherwise false with the first one missing described in missing
// ("HKEY_LOCAL_MACHINE\SOFTWARE\...\IO_CLSID\{...} does not exist").
bool RegistrationComplete(const Registration& registration, std::string& missing);

}  // namespace swkv::ctl
