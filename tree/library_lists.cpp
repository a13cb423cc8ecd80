#include "tree/library_lists.h"

#include "raidlib/selection.h"

namespace swkv {

LibraryList EnumerateArrays() {
  LibraryList list;
  std::uint32_t count = 0;
  const std::int32_t status = RecordStatus(raEnumerateAllArrays(&count, list.data()));
  list.Accept(status, count);
  return list;
}

LibraryList EnumerateArrayDisks(std::uint32_t logical) {
  LibraryList list;
  std::uint32_t count = 0;
  const std::int32_t status = RecordStatus(raEnumerateDisksInArray(logical, &count, list.data()));
  list.Accept(status, count);
  return list;
}

LibraryList EnumerateDisks() {
  LibraryList list;
  std::uint32_t count = 0;
  const std::int32_t status = RecordStatus(raEnumerateAllDisks(&count, list.data()));
  list.Accept(status, count);
  return list;
}

DeviceName ReadDeviceName(std::uint32_t disk) {
  DeviceName name;
  name.m_ok = RecordStatus(raGetDeviceName(disk, name.m_text.data())) == 0;
  name.m_text[RA_NAME_SIZE] = '\0';  // a name that filled all 64 bytes ends at the buffer
  if (!name.m_ok) name.m_text[0] = '\0';  // nothing of a failed read is shown
  return name;
}

std::string_view ArrayRecordName(const RaArrayInfo& info) {
  std::size_t length = 0;
  while (length < sizeof info.name && info.name[length] != '\0') ++length;
  return {info.name, length};
}

}  // namespace swkv
