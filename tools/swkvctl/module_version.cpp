#include "tools/swkvctl/module_version.h"

#include "tree/file_version_info.h"

namespace swkv::ctl {

std::string ModuleFileVersion(const std::string& path) {
  // The same reading of the version block as the component's own root node.
  const FileVersionInfo info(path.c_str());
  const char* text = nullptr;
  UINT length = 0;
  if (!info.QueryVersionString("FileVersion", &text, &length, 0) || length == 0) return "";
  const std::string version(text, length);
  return version.substr(0, version.find('\0'));
}

}  // namespace swkv::ctl
