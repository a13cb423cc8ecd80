#include "platform/module_instance.h"
#include "tests/resources/test_modules.h"

extern "C" HINSTANCE SwkvTestVersionedModule() { return swkv::ModuleInstance(); }
