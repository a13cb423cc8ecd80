#include "river/drop.h"

namespace swkv {

void CDrop::Store(std::string_view name, std::uint32_t flags, std::string_view value) {
  if (m_name != name) m_name.assign(name);
  m_flags = flags;
  m_value.assign(value);
  if (flags & DROP_OBJECT) {
    m_access[0] = 'o', m_access[1] = '-', m_access[2] = '-';
  } else if (flags & DROP_METHOD) {
    m_access[0] = 'm', m_access[1] = '-', m_access[2] = '-';
  } else if (flags & DROP_PROPERTY) {
    m_access[0] = 'p';
    m_access[1] = (flags & DROP_READ) ? 'r' : '-';
    m_access[2] = (flags & DROP_WRITE) ? 'w' : (flags & DROP_VOLATILE) ? 'v' : '-';
  }
  // Any other flag word keeps the access string it had.
  m_access[3] = '\0';
}

CDrop::DirEntry CDrop::GetDirEntry() const {
  std::string_view shown = m_value;
  if (m_flags & DROP_OBJECT) {
    std::size_t semicolon = shown.find(';');
    if (semicolon == std::string_view::npos || semicolon == 0) return {};
    shown.remove_prefix(semicolon + 1);
  }
  return {false, m_name, access(), shown};
}

void CDrop::AppendDirEntry(std::string& out) const {
  DirEntry entry = GetDirEntry();
  if (entry.empty) return;
  out.append(entry.name).append(1, '@').append(entry.access).append(1, '@').append(entry.shown);
}

}  // namespace swkv
