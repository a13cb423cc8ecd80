// Finding the component the way the agent does: the ProgID's CLSID (through CurVer when the
// version-independent ProgID has no CLSID of its own), then the class's InprocServer32 file.
#pragma once

#include <string>
#include <string_view>

#include "platform/win.h"

namespace swkv::ctl {

inline constexpr char kProgId[] = "TessaryRAID.SwkvRAID";

struct Registration {
  std::string progId;     // the ProgID whose CLSID was used ("TessaryRAID.SwkvRAID.1")
  std::string clsidText;  // "{2C21A4B6-...}"
  CLSID clsid{};
  std::string modulePath;  // InprocServer32's default value
};

// True when the registration leads to a module path; otherwise false with the first missing
// piece described in missing ("HKEY_CLASSES_ROOT\TessaryRAID.SwkvRAID does not exist").
bool LookUpRegistration(Registration& found, std::string& missing);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional, either case).
bool ParseGuid(std::string_view text, GUID& guid);
std::string GuidText(const GUID& guid);

}  // namespace swkv::ctl
