#include "tools/swkvctl/node_path.h"

#include <cstdlib>

#include "tools/swkvctl/display_text.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/status_text.h"

namespace swkv::ctl {

namespace {

void AppendNames(std::vector<std::string>& names, std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = StepEnd(path, start);
    std::string_view step = path.substr(start, end - start);
    if (step == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!step.empty() && step != ".") {
      names.push_back(NameOfStep(step));
    }
    start = end + 1;
  }
}

std::string ListOf(const std::vector<std::string>& names) {
  if (names.empty()) return "none";
  std::string text;
  // Appended piece by piece: GCC's -O3 warns falsely on a literal added to a temporary string.
  for (const std::string& name : names) {
    if (!text.empty()) text += ", ";
    text += PathStep(name);
  }
  return text;
}

}  // namespace

std::vector<std::string> SplitPath(std::string_view current, std::string_view path) {
  std::vector<std::string> names;
  if (path.empty() || path[0] != '/') AppendNames(names, current);
  AppendNames(names, path);
  return names;
}

std::string ChildPath(const std::string& parent, const std::string& name) {
  std::string path = parent;
  if (!path.empty()) path += '/';
  path += PathStep(name);
  return path;
}

NodeAt ResolveNode(IRiver* root, std::string_view current, std::string_view path) {
  NodeAt at{ComPtr<IRiver>(root), "", kKindRoot};
  for (const std::string& name : SplitPath(current, path)) {
    std::vector<Entry> entries;
    HRESULT status = ListEntries(at.river.get(), entries);
    if (FAILED(status))
      throw Failure(kExitFailed,
                    "cannot list " + ShowPath(at.path) + ": dir returned " + StatusText(status));
    const Entry* found = nullptr;
    std::vector<std::string> children;
    for (const Entry& entry : entries) {
      if (entry.IsLink()) children.push_back(entry.name);
      if (!found && entry.name == name) found = &entry;
    }
    const std::string wanted = ChildPath(at.path, name);
    if (!found)
      throw Failure(kExitUnknownName, "unknown node " + wanted + ": " + ShowPath(at.path) +
                                          " has no child " + PathStep(name) +
                                          " (its children: " + ListOf(children) + ")");
    if (!found->IsLink())
      throw Failure(kExitUnknownName, "unknown node " + wanted + ": " + PathStep(name) + " is " +
                                          (found->IsAction() ? "an action" : "a property") +
                                          " of " + ShowPath(at.path) + ", not a node");
    ComPtr<IRiver> child = StepInto(at.river.get(), name, &status);
    if (!child)
      throw Failure(kExitFailed,
                    "cannot step into " + wanted + ": cd returned " + StatusText(status));
    at.river = child;
    at.path = wanted;
    at.kind = std::atoi(found->value.c_str());
  }
  return at;
}

}  // namespace swkv::ctl
