// Where type libraries are registered, shared by loading and registration in the POSIX platform
// library: HKEY_CLASSES_ROOT\TypeLib\{libid}\<major>.<minor>\<locale>\<system>, numbers in
// hexadecimal, as Windows keeps them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/win.h"

namespace swkv::posix {

// "TypeLib\{libid}".
std::string TypeLibKey(REFGUID libid);
// "<major>.<minor>".
std::string VersionKeyName(WORD major, WORD minor);
// "<lcid>".
std::string LocaleKeyName(LCID lcid);
// "win64", "win32" or "win16".
const char* SystemKeyName(SYSKIND syskind);

// The default value of a key below the classes root; empty when the key or value is missing.
std::optional<std::string> ReadDefaultValue(const std::string& path);
// The names of the subkeys of a key below the classes root (none when it is missing).
std::vector<std::string> SubkeyNames(const std::string& path);

// Single-byte text of a wide path, and back (each character one byte, as CP_ACP maps them).
std::string NarrowPath(LPCOLESTR path);
std::u16string WidenPath(const std::string& path);

}  // namespace swkv::posix
