// Which registry failures the system has explained already when swkvreg learns of them. Our POSIX
// registry says on standard error which hive file is damaged and why, as it finds it; the Windows
// registry says nothing. swkvreg adds its own line only where nothing was said, so that a damaged
// hive is reported once.
#pragma once

#include "platform/win.h"

namespace swkv::tools {

bool RegistryExplainedFailure(LONG status);

}  // namespace swkv::tools
