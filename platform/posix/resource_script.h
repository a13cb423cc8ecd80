// Resources of a module in the POSIX build.
//
// String table: the module registers its texts with the platform library while it is loaded
// (StringTableResource below), and LoadStringA finds them by the module's instance handle.
//
// Version block: the module carries it in its own file, in the ELF section ".swkv_version",
// where GetFileVersionInfoA reads it (SWKV_VERSION_BLOCK below). The block is a tree of nodes in
// the layout of the Windows version resource, with single-byte keys and values:
//
//   WORD length         bytes of the node with its children, without trailing padding
//   WORD valueLength    bytes of the value (texts: with their terminator)
//   WORD type           0 binary, 1 text
//   char key[]          zero-terminated, then padding to a multiple of 4 from the block start
//   BYTE value[]        then padding to a multiple of 4
//   children            each starting at a multiple of 4
//
// The root "VS_VERSION_INFO" holds the VS_FIXEDFILEINFO; its children are "StringFileInfo" with
// one string table per translation ("040904B0") and "VarFileInfo" with "Translation".
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "platform/module_instance.h"
#include "platform/win.h"

extern "C" {

struct SWKV_STRING_RESOURCE {
  UINT id;
  LPCSTR text;
};

// Makes entries (texts copied) the string table of module, replacing any registered before.
// FALSE with ERROR_INVALID_PARAMETER for a null module, or null entries with a nonzero count.
BOOL SwkvRegisterStringTable(HINSTANCE module, const SWKV_STRING_RESOURCE* entries, UINT count);
// Forgets module's string table; a module unregisters before it is unloaded.
void SwkvUnregisterStringTable(HINSTANCE module);

}  // extern "C"

namespace swkv {

// Keeps a string table registered for this module while the module is loaded: one object of
// static storage duration in a source of the module. Module-local like ModuleInstance: were its
// inline members shared between modules, one module's table would be registered for another.
class SWKV_MODULE_LOCAL StringTableResource {
 public:
  explicit StringTableResource(std::span<const SWKV_STRING_RESOURCE> entries) noexcept
      : m_module(ModuleInstance()) {
    SwkvRegisterStringTable(m_module, entries.data(), static_cast<UINT>(entries.size()));
  }
  ~StringTableResource() { SwkvUnregisterStringTable(m_module); }
  StringTableResource(const StringTableResource&) = delete;
  StringTableResource& operator=(const StringTableResource&) = delete;

 private:
  HINSTANCE m_module;
};

inline constexpr std::string_view kVersionSection = ".swkv_version";
inline constexpr std::string_view kVersionRootKey = "VS_VERSION_INFO";

struct VersionString {
  std::string_view name;
  std::string_view value;
};

// What a module's version block says: the fields of VERSIONINFO in a resource script.
struct VersionResource {
  DWORD fileVersionMS = 0;
  DWORD fileVersionLS = 0;
  DWORD productVersionMS = 0;
  DWORD productVersionLS = 0;
  DWORD fileFlagsMask = 0;
  DWORD fileFlags = 0;
  DWORD fileOS = 0;
  DWORD fileType = 0;
  DWORD fileSubtype = 0;
  WORD language = 0;
  WORD codePage = 0;
  std::string_view stringTable;  // the key of the string table, e.g. "040904B0"
  std::span<const VersionString> strings;
};

namespace version_block {

// Writes the block into out, or only counts its bytes when out is null; returns the size.
class Writer {
 public:
  constexpr explicit Writer(char* out) : m_out(out) {}
  constexpr std::size_t size() const { return m_pos; }

  // Starts a node; the value follows at once through Bytes/Dword. Returns the node's offset.
  constexpr std::size_t Begin(std::string_view key, std::size_t valueLength, WORD type) {
    Align();
    std::size_t node = m_pos;
    Word(0);  // length, set by End
    Word(Checked(valueLength));
    Word(type);
    Bytes(key);
    Byte(0);
    Align();
    return node;
  }
  constexpr void End(std::size_t node) {
    WORD length = Checked(m_pos - node);
    if (m_out) {
      m_out[node] = static_cast<char>(length & 0xFF);
      m_out[node + 1] = static_cast<char>(length >> 8);
    }
  }
  constexpr void Bytes(std::string_view bytes) {
    for (char c : bytes) Byte(c);
  }
  constexpr void Byte(char c) {
    if (m_out) m_out[m_pos] = c;
    ++m_pos;
  }
  constexpr void Word(WORD w) {
    Byte(static_cast<char>(w & 0xFF));
    Byte(static_cast<char>(w >> 8));
  }
  constexpr void Dword(DWORD d) {
    Word(static_cast<WORD>(d & 0xFFFF));
    Word(static_cast<WORD>(d >> 16));
  }

 private:
  constexpr void Align() {
    while (m_pos % 4 != 0) Byte(0);
  }
  static constexpr WORD Checked(std::size_t n) {
    // Lengths are 16-bit words; a block that outgrows them is rejected when it is built.
    if (n > 0xFFFF) throw "version block too large";
    return static_cast<WORD>(n);
  }

  char* m_out;
  std::size_t m_pos = 0;
};

constexpr std::size_t Write(const VersionResource& resource, char* out) {
  Writer w(out);
  std::size_t root = w.Begin(kVersionRootKey, sizeof(VS_FIXEDFILEINFO), 0);
  for (DWORD field : {VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, resource.fileVersionMS,
                      resource.fileVersionLS, resource.productVersionMS,
                      resource.productVersionLS, resource.fileFlagsMask, resource.fileFlags,
                      resource.fileOS, resource.fileType, resource.fileSubtype, DWORD{0},
                      DWORD{0}}) {
    w.Dword(field);
  }

  std::size_t stringInfo = w.Begin("StringFileInfo", 0, 1);
  std::size_t table = w.Begin(resource.stringTable, 0, 1);
  for (const VersionString& s : resource.strings) {
    std::size_t entry = w.Begin(s.name, s.value.size() + 1, 1);
    w.Bytes(s.value);
    w.Byte(0);
    w.End(entry);
  }
  w.End(table);
  w.End(stringInfo);

  std::size_t varInfo = w.Begin("VarFileInfo", 0, 1);
  std::size_t translation = w.Begin("Translation", 4, 0);
  w.Word(resource.language);
  w.Word(resource.codePage);
  w.End(translation);
  w.End(varInfo);

  w.End(root);
  return w.size();
}

}  // namespace version_block

// The block of a VersionResource, built at compile time:
//   constexpr auto block = swkv::BuildVersionBlock<swkv::VersionBlockSize(resource)>(resource);
constexpr std::size_t VersionBlockSize(const VersionResource& resource) {
  return version_block::Write(resource, nullptr);
}

template <std::size_t Size>
constexpr std::array<char, Size> BuildVersionBlock(const VersionResource& resource) {
  std::array<char, Size> block{};
  version_block::Write(resource, block.data());
  return block;
}

}  // namespace swkv

// Places the version block of resource (a constexpr VersionResource) in this module's file. Use it
// once per module, at namespace scope. A macro because the section is an attribute of the object
// definition itself.
#define SWKV_VERSION_BLOCK(resource)                                                   \
  [[gnu::used, gnu::section(".swkv_version")]] constexpr auto swkvVersionBlock =      \
      ::swkv::BuildVersionBlock<::swkv::VersionBlockSize(resource)>(resource)
