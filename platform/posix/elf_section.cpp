#include "platform/posix/elf_section.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace swkv::posix {

namespace {

// Closes the descriptor on every path out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

DWORD OpenError(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    default: return ERROR_BAD_FORMAT;
  }
}

// Reads up to size bytes at offset; how many it read, fewer where the file ends (or fails) first.
std::size_t ReadUpTo(int fd, std::uint64_t offset, void* out, std::size_t size) {
  auto* bytes = static_cast<char*>(out);
  std::size_t got = 0;
  while (got < size) {
    ssize_t n = ::pread(fd, bytes + got, size - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

// Reads exactly size bytes at offset; false for a short file or a read error.
bool ReadAt(int fd, std::uint64_t offset, void* out, std::size_t size) {
  return ReadUpTo(fd, offset, out, size) == size;
}

constexpr std::uint64_t kMaxStretch = 64 * 1024;

// Serves small reads out of one stretch of the file read in one go, so that walking the section
// header table, or the names in the name table, costs one read of the file rather than one per
// section. A read answers exactly as ReadAt does: the bytes asked for, or false when the file
// ends before them. A read outside the stretch reads a new stretch there.
class FileStretch {
 public:
  // length: how much to read at a time (at most kMaxStretch).
  FileStretch(int fd, std::uint64_t length)
      : m_fd(fd), m_length(static_cast<std::size_t>(std::min(length, kMaxStretch))) {}

  bool Read(std::uint64_t offset, void* out, std::size_t size) {
    if (!Holds(offset, size)) Fill(offset, std::max(size, m_length));
    if (!Holds(offset, size)) return false;
    std::memcpy(out, m_bytes.data() + (offset - m_start), size);
    return true;
  }

 private:
  bool Holds(std::uint64_t offset, std::size_t size) const {
    return m_filled && offset >= m_start && offset - m_start <= m_bytes.size() &&
           m_bytes.size() - (offset - m_start) >= size;
  }
  // Reads up to length bytes at offset; fewer where the file ends (or fails) first.
  void Fill(std::uint64_t offset, std::size_t length) {
    m_bytes.resize(length);
    m_bytes.resize(ReadUpTo(m_fd, offset, m_bytes.data(), length));
    m_start = offset;
    m_filled = true;
  }

  int m_fd;
  std::size_t m_length;
  std::vector<char> m_bytes;
  std::uint64_t m_start = 0;
  bool m_filled = false;
};

template <class Ehdr, class Shdr>
DWORD ReadSection(int fd, std::string_view name, std::size_t limit, std::vector<BYTE>& contents) {
  Ehdr header{};
  if (!ReadAt(fd, 0, &header, sizeof header) || header.e_shoff == 0 ||
      header.e_shentsize < sizeof(Shdr)) {
    return ERROR_BAD_FORMAT;
  }
  // The table is read in one go, once its size is known: when it does not fit the ELF header,
  // section 0 holds the count, and the stretch holds that entry first.
  auto tableLength = [&](std::uint64_t count) {
    return count <= kMaxStretch ? count * header.e_shentsize : kMaxStretch;
  };
  FileStretch table(fd, tableLength(header.e_shnum != 0 ? header.e_shnum : 1));
  auto sectionHeader = [&](std::uint64_t index, Shdr& out) {
    return table.Read(header.e_shoff + index * header.e_shentsize, &out, sizeof out);
  };

  // Section 0 holds the count and the name table's index when they do not fit the ELF header.
  Shdr first{};
  if (!sectionHeader(0, first)) return ERROR_BAD_FORMAT;
  std::uint64_t count = header.e_shnum != 0 ? header.e_shnum : first.sh_size;
  if (header.e_shnum == 0) table = FileStretch(fd, tableLength(count));
  std::uint64_t namesIndex = header.e_shstrndx != SHN_XINDEX ? header.e_shstrndx : first.sh_link;
  Shdr names{};
  if (namesIndex >= count || !sectionHeader(namesIndex, names) || names.sh_type != SHT_STRTAB) {
    return ERROR_BAD_FORMAT;
  }
  FileStretch nameTable(fd, names.sh_size);

  std::vector<char> wanted(name.size() + 1);
  for (std::uint64_t i = 1; i < count; ++i) {
    Shdr section{};
    if (!sectionHeader(i, section)) return ERROR_BAD_FORMAT;
    // Compare the name and its terminator; a name running off the table is no match.
    if (section.sh_name >= names.sh_size || names.sh_size - section.sh_name < wanted.size() ||
        !nameTable.Read(names.sh_offset + section.sh_name, wanted.data(), wanted.size()) ||
        std::string_view(wanted.data(), name.size()) != name || wanted.back() != '\0') {
      continue;
    }
    if (section.sh_type == SHT_NOBITS || section.sh_size == 0) break;
    if (section.sh_size > limit) return ERROR_INVALID_DATA;
    contents.resize(static_cast<std::size_t>(section.sh_size));
    if (!ReadAt(fd, section.sh_offset, contents.data(), contents.size())) {
      contents.clear();
      return ERROR_BAD_FORMAT;
    }
    return ERROR_SUCCESS;
  }
  return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

}  // namespace

DWORD ReadElfSection(const char* path, std::string_view name, std::size_t limit,
                     std::vector<BYTE>& contents) {
  contents.clear();
  Descriptor file(::open(path, O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return OpenError(errno);

  unsigned char ident[EI_NIDENT] = {};
  if (!ReadAt(file.get(), 0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
    return ERROR_BAD_FORMAT;
  }
  const unsigned char ownOrder =
      __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;
  if (ident[EI_DATA] != ownOrder) return ERROR_BAD_FORMAT;
  switch (ident[EI_CLASS]) {
    case ELFCLASS64: return ReadSection<Elf64_Ehdr, Elf64_Shdr>(file.get(), name, limit, contents);
    case ELFCLASS32: return ReadSection<Elf32_Ehdr, Elf32_Shdr>(file.get(), name, limit, contents);
    default: return ERROR_BAD_FORMAT;
  }
}

}  // namespace swkv::posix
