#include "tools/swkvctl/module_version.h"

#include <cstdio>
#include <vector>

#include "platform/win.h"

namespace swkv::ctl {

std::string ModuleFileVersion(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return "";
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return "";
  void* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translations, &length) ||
      length < 4)
    return "";
  const auto* words = static_cast<const WORD*>(translations);
  char subBlock[64];
  std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04x%04x\\FileVersion", words[0],
                words[1]);
  void* text = nullptr;
  if (!VerQueryValueA(block.data(), subBlock, &text, &length) || length == 0) return "";
  const char* chars = static_cast<const char*>(text);
  std::string version(chars, length);
  return version.substr(0, version.find('\0'));
}

}  // namespace swkv::ctl
