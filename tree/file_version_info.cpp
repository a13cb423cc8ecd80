#include "tree/file_version_info.h"

#include <cstdio>
#include <new>

namespace swkv {

FileVersionInfo::FileVersionInfo(const char* path) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return;
  m_block.reset(new (std::nothrow) BYTE[size]);
  if (!m_block || !GetFileVersionInfoA(path, 0, size, m_block.get())) {
    m_block.reset();
    return;
  }
  void* fixed = nullptr;
  UINT fixedLength = 0;
  void* translations = nullptr;
  UINT translationsLength = 0;
  if (VerQueryValueA(m_block.get(), "\\", &fixed, &fixedLength) &&
      VerQueryValueA(m_block.get(), "\\VarFileInfo\\Translation", &translations,
                     &translationsLength)) {
    m_fixed = fixed;
    m_translations = static_cast<const WORD*>(translations);
    m_translationCount = translationsLength / 4;
    m_valid = true;
  }
}

bool FileVersionInfo::QueryVersionString(const char* name, const char** text, UINT* length,
                                         UINT translation) const {
  if (!m_valid || translation >= m_translationCount || !name) return false;
  char subBlock[256];
  int written = std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04x%04x\\%s",
                              m_translations[2 * translation], m_translations[2 * translation + 1],
                              name);
  if (written < 0 || static_cast<std::size_t>(written) >= sizeof subBlock) return false;
  void* value = nullptr;
  UINT valueLength = 0;
  if (!VerQueryValueA(m_block.get(), subBlock, &value, &valueLength)) return false;
  if (text) *text = static_cast<const char*>(value);
  if (length) *length = valueLength;
  return true;
}

}  // namespace swkv
