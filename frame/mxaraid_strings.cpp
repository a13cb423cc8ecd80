// The POSIX build's counterpart of the STRINGTABLE in mxaraid.rc: the module registers the same
// texts with the platform library for as long as it is loaded.
#include "com/resource.h"
#include "platform/resource_script.h"

namespace {

#define SWKV_STRING_ENTRY(id, text) {id, text},
constexpr SWKV_STRING_RESOURCE kStrings[] = {SWKV_STRING_TABLE(SWKV_STRING_ENTRY)};
#undef SWKV_STRING_ENTRY

const swkv::StringTableResource g_strings{kStrings};

}  // namespace
