// The version block of a module file: found in the file's ".swkv_version" section and looked up
// by path as on Windows. The layout is described in platform/posix/resource_script.h.
#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/elf_section.h"
#include "platform/resource_script.h"

namespace {

constexpr WORD kHeaderSize = 6;

// One node of a block. Every pointer lies inside the node, and the node inside its parent.
struct Node {
  const BYTE* start = nullptr;
  const BYTE* end = nullptr;  // start + length
  std::string_view key;
  WORD type = 0;
  const BYTE* value = nullptr;
  WORD valueLength = 0;
  const BYTE* children = nullptr;  // first child, or end when there are none
};

WORD ReadWord(const BYTE* at) {
  WORD w;
  std::memcpy(&w, at, sizeof w);
  return w;
}

// Offsets are aligned from the start of the block, as the writer aligns them.
const BYTE* Align(const BYTE* block, const BYTE* at) {
  std::size_t offset = static_cast<std::size_t>(at - block);
  return block + ((offset + 3) & ~std::size_t{3});
}

// Reads the node at `at`, which must fit before limit. False for a damaged node.
bool ReadNode(const BYTE* block, const BYTE* at, const BYTE* limit, Node& node) {
  if (limit - at < static_cast<std::ptrdiff_t>(kHeaderSize)) return false;
  WORD length = ReadWord(at);
  if (length < kHeaderSize || length > limit - at) return false;
  node.start = at;
  node.end = at + length;
  node.valueLength = ReadWord(at + 2);
  node.type = ReadWord(at + 4);
  const BYTE* key = at + kHeaderSize;
  const void* terminator = std::memchr(key, 0, static_cast<std::size_t>(node.end - key));
  if (!terminator) return false;
  node.key = std::string_view(reinterpret_cast<const char*>(key),
                              static_cast<const BYTE*>(terminator) - key);
  node.value = Align(block, static_cast<const BYTE*>(terminator) + 1);
  if (node.value > node.end || node.valueLength > node.end - node.value) return false;
  node.children = Align(block, node.value + node.valueLength);
  if (node.children > node.end) node.children = node.end;
  return true;
}

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool FindChild(const BYTE* block, const Node& parent, std::string_view key, Node& child) {
  const BYTE* at = parent.children;
  while (at < parent.end && ReadNode(block, at, parent.end, child)) {
    if (SameKey(child.key, key)) return true;
    at = Align(block, child.end);
  }
  return false;
}

bool ReadRoot(const BYTE* block, std::size_t size, Node& root) {
  return block && ReadNode(block, block, block + size, root) &&
         root.key == swkv::kVersionRootKey;
}

// The file's block, checked to start with a sound root node; the error to report otherwise.
DWORD LoadBlock(LPCSTR fileName, std::vector<BYTE>& block) {
  DWORD error = swkv::posix::ReadElfSection(fileName, swkv::kVersionSection, 0xFFFF, block);
  if (error != ERROR_SUCCESS) return error;
  Node root;
  if (!ReadRoot(block.data(), block.size(), root)) return ERROR_INVALID_DATA;
  block.resize(static_cast<std::size_t>(root.end - root.start));
  return ERROR_SUCCESS;
}

// What tells one state of a file from another: a file replaced, or written to, shows another
// identity (a write within the file system's timestamp tick that keeps the size is the one
// change this misses).
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{}, changed{};
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           Same(modified, other.modified) && Same(changed, other.changed);
  }
  static bool Same(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
  }
};

bool IdentityOf(LPCSTR fileName, FileIdentity& identity) {
  struct stat status {};
  if (::stat(fileName, &status) != 0) return false;
  identity = {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
  return true;
}

// The outcome of the last read, the block or the error, with the path and identity of its
// file. A module asks for the size of its own file's block, then for its contents, each time it
// shows its version; the second question, and any later one about the unchanged file, is
// answered without reading the file.
struct BlockCache {
  std::mutex mutex;
  std::string path;
  FileIdentity identity;
  DWORD error = ERROR_SUCCESS;
  std::vector<BYTE> block;
  bool filled = false;
};

BlockCache& Cache() {
  static BlockCache cache;
  return cache;
}

// Runs use(block) on the file's block, or returns the error that stands in its way.
template <class Use>
DWORD WithBlock(LPCSTR fileName, Use use) {
  if (!fileName) return ERROR_INVALID_PARAMETER;
  BlockCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  FileIdentity before;
  const bool known = IdentityOf(fileName, before);
  if (!known || !cache.filled || !(cache.identity == before) || cache.path != fileName) {
    std::vector<BYTE> block;
    DWORD error = LoadBlock(fileName, block);
    // Kept only when the file did not change while it was read.
    FileIdentity after;
    if (!known || !IdentityOf(fileName, after) || !(after == before)) {
      if (error == ERROR_SUCCESS) use(block);
      return error;
    }
    cache.filled = false;
    cache.path = fileName;
    cache.identity = before;
    cache.error = error;
    cache.block = std::move(block);
    cache.filled = true;
  }
  if (cache.error == ERROR_SUCCESS) use(cache.block);
  return cache.error;
}

}  // namespace

extern "C" {

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
  if (handle) *handle = 0;
  DWORD size = 0;
  DWORD error = WithBlock(fileName, [&](const std::vector<BYTE>& block) {
    size = static_cast<DWORD>(block.size());
  });
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return 0;
  }
  return size;
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD length, LPVOID data) {
  DWORD refusal = ERROR_SUCCESS;
  DWORD error = WithBlock(fileName, [&](const std::vector<BYTE>& block) {
    if (!data || length < block.size())
      refusal = data ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER;
    else
      std::memcpy(data, block.data(), block.size());
  });
  if (error == ERROR_SUCCESS) error = refusal;
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL VerQueryValueA(LPCVOID data, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
  if (buffer) *buffer = nullptr;
  if (length) *length = 0;
  const auto* block = static_cast<const BYTE*>(data);
  if (!block || !subBlock || !buffer || !length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The root's own length bounds every lookup: the caller's copy is at least that long.
  Node node;
  if (!ReadRoot(block, ReadWord(block), node)) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  std::string_view path(subBlock);
  while (!path.empty()) {
    std::size_t separator = path.find('\\');
    std::string_view key = path.substr(0, separator);
    path = separator == std::string_view::npos ? std::string_view() : path.substr(separator + 1);
    if (key.empty()) continue;
    Node child;
    if (!FindChild(block, node, key, child)) {
      SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
      return FALSE;
    }
    node = child;
  }
  if (node.start == block && node.valueLength == 0) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  *buffer = const_cast<BYTE*>(node.value);
  *length = node.valueLength;
  return TRUE;
}

}  // extern "C"
