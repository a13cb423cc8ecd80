// The component's one creatable class, "swkv Class": creating it builds a new root node and the
// whole tree below it, and hands out the root's interfaces.
#pragma once

#include "platform/win.h"

namespace swkv {

// The class factory's creator for the main class: a plain root without an outer object, an
// aggregated one with it. E_OUTOFMEMORY when the root cannot be made; the status of the
// root's interface query when that fails (the root is destroyed again).
HRESULT CreateMainClassInstance(IUnknown* outer, REFIID riid, void** ppv);

}  // namespace swkv
