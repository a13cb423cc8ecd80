#include "settings/system_family.h"

namespace swkv {

namespace {
// Asked once, while the component is being loaded; the answer does not change while it runs.
SystemFamily g_family = FamilyOfVersion(GetVersion());
}  // namespace

SystemFamily FamilyOfVersion(DWORD version) {
  return (version & 0x80000000u) != 0 ? SystemFamily::kWindows9x : SystemFamily::kWindowsNt;
}

SystemFamily CurrentSystemFamily() { return g_family; }

void OverrideSystemFamilyForTesting(SystemFamily family) { g_family = family; }

}  // namespace swkv
