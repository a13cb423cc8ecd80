// Two small modules that carry the component's resources as the component module does: the
// first with the version block, the second built without it. Each answers its own instance.
#pragma once

#include "platform/win.h"

extern "C" HINSTANCE SwkvTestVersionedModule();
extern "C" HINSTANCE SwkvTestPlainModule();
