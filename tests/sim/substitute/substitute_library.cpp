// Another controller library of the same name, as a test or the vendor might supply: it opens
// every controller with status 42.
#include "raidlib/raidapikv9k.h"

extern "C" RAEXPORT int32_t RAAPI raInitialize(int32_t** /*selection*/) { return 42; }
