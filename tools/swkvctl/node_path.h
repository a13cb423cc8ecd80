// Node paths: link names from the root, joined by '/': "HBA1/System/disk1". The root is "/" (or
// the empty path). A path is taken from a current node ("." and ".." as in a file system) unless
// it begins with '/'. A name holding '/' or a control character is written escaped in a path
// (display_text.h: "HBA1/a\/b"), so a canonical path is always one step per name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"

namespace swkv::ctl {

// The names (unescaped) of path taken from the node at current; ".." at the root stays there.
std::vector<std::string> SplitPath(std::string_view current, std::string_view path);
// Display form of a canonical path: "/" for the root, else the path itself.
inline std::string ShowPath(const std::string& path) { return path.empty() ? "/" : path; }
// A child's path below parent's ("" for the root).
std::string ChildPath(const std::string& parent, const std::string& name);

// A node found by its path.
struct NodeAt {
  ComPtr<IRiver> river;
  std::string path;  // canonical: "" for the root, "HBA1/System" below it
  int kind = 0;
};

// Walks from the root to the node the path names. Throws Failure (kExitUnknownName) naming the
// first name that is not a child of the node before it, with what that node does have.
NodeAt ResolveNode(IRiver* root, std::string_view current, std::string_view path);

}  // namespace swkv::ctl
