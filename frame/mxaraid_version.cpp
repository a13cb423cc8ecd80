// The POSIX build's counterpart of the VERSIONINFO in mxaraid.rc: the same fields, carried in the
// module's own file where GetFileVersionInfoA finds them.
#include <string_view>

#include "com/resource.h"
#include "platform/resource_script.h"

namespace {

#define SWKV_VERSION_ENTRY(name, value) swkv::VersionString{name, value},
constexpr swkv::VersionString kStrings[] = {SWKV_VERSION_STRINGS(SWKV_VERSION_ENTRY)};
#undef SWKV_VERSION_ENTRY

constexpr DWORD kVersionMS = (SWKV_VERSION_MAJOR << 16) | SWKV_VERSION_MINOR;
constexpr DWORD kVersionLS = (SWKV_VERSION_BUILD << 16) | SWKV_VERSION_REVISION;

constexpr swkv::VersionResource kVersion{
    .fileVersionMS = kVersionMS,
    .fileVersionLS = kVersionLS,
    .productVersionMS = kVersionMS,
    .productVersionLS = kVersionLS,
    .fileFlagsMask = VS_FFI_FILEFLAGSMASK,
    .fileFlags = 0,
    .fileOS = VOS_NT_WINDOWS32,
    .fileType = VFT_DLL,
    .fileSubtype = VFT2_UNKNOWN,
    .language = SWKV_VERSION_LANGUAGE,
    .codePage = SWKV_VERSION_CODEPAGE,
    .stringTable = SWKV_VERSION_BLOCK_KEY,
    .strings = kStrings,
};

// The string table's key spelt out in resource.h must name the translation it belongs to.
constexpr bool KeyNamesTranslation(std::string_view key, WORD language, WORD codePage) {
  constexpr char digits[] = "0123456789ABCDEF";
  DWORD pair = (DWORD{language} << 16) | codePage;
  if (key.size() != 8) return false;
  for (int i = 0; i < 8; ++i) {
    if (key[static_cast<std::size_t>(i)] != digits[(pair >> (28 - 4 * i)) & 0xF]) return false;
  }
  return true;
}
static_assert(KeyNamesTranslation(SWKV_VERSION_BLOCK_KEY, SWKV_VERSION_LANGUAGE,
                                  SWKV_VERSION_CODEPAGE));

SWKV_VERSION_BLOCK(kVersion);

}  // namespace
