// How the component's main class gets the root of its tree.
#pragma once

namespace swkv {

class CRiver;

// A new root node (reference count 0) that has built the whole tree below it; null when memory
// ran out. The device tree provides it.
CRiver* NewRootNode();

}  // namespace swkv
