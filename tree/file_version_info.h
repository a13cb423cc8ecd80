// FileVersionInfo: the version block of a module file, and its string lookups.
#pragma once

#include <memory>

#include "platform/win.h"

namespace swkv {

class FileVersionInfo {
 public:
  // Loads the block of the file; not valid when the file has none or it lacks the fixed
  // information or the translation table.
  explicit FileVersionInfo(const char* path);

  bool valid() const { return m_valid; }
  UINT translation_count() const { return m_translationCount; }
  // Looks name up in "\StringFileInfo\llllcccc\name" of the translation with that index.
  bool QueryVersionString(const char* name, const char** text, UINT* length,
                          UINT translation) const;

 private:
  std::unique_ptr<BYTE[]> m_block;
  const WORD* m_translations = nullptr;
  UINT m_translationCount = 0;
  bool m_valid = false;
  const void* m_fixed = nullptr;
};

}  // namespace swkv
