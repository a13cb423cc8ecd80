// BSTR allocation with the Windows block layout.
#include <cstdlib>
#include <cstring>

#include "platform/win.h"

namespace {

constexpr std::size_t kPrefix = sizeof(std::uint32_t);
// The byte length must fit the 32-bit prefix, with room for the terminator.
constexpr std::uint64_t kMaxBytes = 0xFFFFFFFFull - kPrefix - sizeof(OLECHAR);

BSTR AllocateBlock(const void* bytes, std::uint64_t byteCount) {
  if (byteCount > kMaxBytes) return nullptr;
  // Round up so that an odd byte count still ends in a whole 16-bit terminator.
  std::size_t total = kPrefix + static_cast<std::size_t>(byteCount) + sizeof(OLECHAR) + 1;
  auto* block = static_cast<unsigned char*>(std::malloc(total));
  if (!block) return nullptr;
  auto length = static_cast<std::uint32_t>(byteCount);
  std::memcpy(block, &length, kPrefix);
  unsigned char* text = block + kPrefix;
  if (bytes)
    std::memcpy(text, bytes, byteCount);
  else
    std::memset(text, 0, byteCount);
  std::memset(text + byteCount, 0, sizeof(OLECHAR) + 1);
  return reinterpret_cast<BSTR>(text);
}

std::uint32_t ByteLength(BSTR text) {
  std::uint32_t length;
  std::memcpy(&length, reinterpret_cast<unsigned char*>(text) - kPrefix, kPrefix);
  return length;
}

}  // namespace

extern "C" {

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  return AllocateBlock(text, std::uint64_t{length} * sizeof(OLECHAR));
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  UINT length = 0;
  while (text[length] != 0) ++length;
  return SysAllocStringLen(text, length);
}

UINT SysStringLen(BSTR text) { return text ? ByteLength(text) / sizeof(OLECHAR) : 0; }

UINT SysStringByteLen(BSTR text) { return text ? ByteLength(text) : 0; }

void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<unsigned char*>(text) - kPrefix);
}

}  // extern "C"
