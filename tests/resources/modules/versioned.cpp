// A test module built with the component's resources, the version block among them.
#include "platform/module_instance.h"

extern "C" HINSTANCE SwkvTestVersionedModule() { return swkv::ModuleInstance(); }
