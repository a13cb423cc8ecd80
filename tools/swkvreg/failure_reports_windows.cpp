// Windows: the system's registry explains nothing on the console.
#ifdef _WIN32

#include "tools/swkvreg/failure_reports.h"

namespace swkv::tools {

bool RegistryExplainedFailure(LONG) { return false; }

}  // namespace swkv::tools

#endif
