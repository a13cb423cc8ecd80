// Properties that are only the node's text. An array's writable entries (its name, mode, block
// size and geometry) are the node's own copy of what the controller reported: writing one
// changes that copy and nothing in the controller, and the next process reads the controller's
// value again. set refuses them unless told that the node's text is what is meant.
#pragma once

#include <string>

namespace swkv::ctl {

// For a property that is only the node's text, what does change the controller ("swkvctl invoke
// HBA1/System rename NAME renames the array"); empty for any other property.
std::string ControllerWayFor(int kind, const std::string& path, const std::string& name);

}  // namespace swkv::ctl
