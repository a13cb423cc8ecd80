// The operating-system family, which decides where the adapter settings are kept.
#pragma once

#include "platform/win.h"

namespace swkv {

enum class SystemFamily { kWindowsNt, kWindows9x };

// A system whose version word has its high bit set is of the 9x family; every other is NT.
SystemFamily FamilyOfVersion(DWORD version);

// The family of the system we run on, decided once when the component is loaded.
SystemFamily CurrentSystemFamily();

// For tests only: from now on the store behaves as on a system of the given family, so that both
// layouts can be exercised on one machine.
void OverrideSystemFamilyForTesting(SystemFamily family);

}  // namespace swkv
