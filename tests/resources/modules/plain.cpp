// A test module built with the component's resources but without their version block.
#include "platform/module_instance.h"

extern "C" HINSTANCE SwkvTestPlainModule() { return swkv::ModuleInstance(); }
