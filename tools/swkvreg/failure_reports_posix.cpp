// POSIX: the registry layer reports a damaged hive file itself (platform/posix/registry_store.cpp).
#ifndef _WIN32

#include "tools/swkvreg/failure_reports.h"

namespace swkv::tools {

bool RegistryExplainedFailure(LONG status) { return status == ERROR_BADDB; }

}  // namespace swkv::tools

#endif
