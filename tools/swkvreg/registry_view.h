// Showing registry contents to operators: a .reg text export and a listing like a query prints.
// Works through the registry calls only, so it shows the same on either system.
#pragma once

#include <ostream>
#include <string>

#include "platform/win.h"

namespace swkv::tools {

// A key named the way operators write it: "HKEY_LOCAL_MACHINE\SYSTEM\..." or "HKLM\SYSTEM\...",
// the hive name in any case.
struct KeyName {
  HKEY hive = nullptr;
  std::string hiveName;  // the long form, as the export prints it
  std::string path;      // below the hive; empty for the hive itself
  std::string Full() const { return path.empty() ? hiveName : hiveName + "\\" + path; }
};

// False when the text does not begin with a known hive.
bool ParseKeyName(const std::string& text, KeyName& key);

// The hives the viewer knows, for exporting everything.
const KeyName* KnownHives(std::size_t& count);

// Writes the key, its values and everything below it as .reg sections ("[key]" lines followed
// by "name"=data lines), without the file header. The registry's status on failure.
LONG ExportKey(const KeyName& key, std::ostream& out);

// The first line of a .reg file in the single-byte form.
constexpr const char* kRegFileHeader = "REGEDIT4";

// Lists a key: its full name, a "    name    TYPE    data" line per value ("(Default)" for the
// default value), then the full name of each subkey. QueryValue prints one value's line; "@" or
// an empty name is the default value.
LONG QueryKey(const KeyName& key, std::ostream& out);
LONG QueryValue(const KeyName& key, const std::string& valueName, std::ostream& out);

}  // namespace swkv::tools
