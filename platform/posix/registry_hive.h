// One registry hive in memory, and its text form on disk.
//
// The text form is line based and survives any bytes in names and values:
//
//   swkv-registry-hive 1
//   value "" 1 "text of a value on the hive's root key%00"
//   key "SYSTEM"
//   key "SYSTEM\CurrentControlSet"
//   key "SYSTEM\CurrentControlSet\Services" access 0x00020019
//   value "DriverParameter" 1 "COUNTTHRESHOLD=3;%00"
//   end
//
// A key line gives the key's full path below the hive's root, its parent listed before it, and
// optionally the most rights a handle to it may have (our stand-in for an access control list).
// Value lines (name, type in decimal, data bytes) belong to the key line above them, or to the
// root key before the first key line. Inside quotes every byte below 0x20 or above 0x7E, the
// quote and the percent sign are written %XX. The end line tells a complete file from a cut one.
// Empty lines and lines beginning with "#" are ignored, for hand-edited files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win.h"

namespace swkv::registry {

// The rights a key grants when nothing limits them.
constexpr REGSAM kAllKeyRights = KEY_ALL_ACCESS | WRITE_DAC | WRITE_OWNER;

// Key and value names compare case-insensitively (ASCII letters only; other bytes as they are).
bool NamesEqual(std::string_view a, std::string_view b);
// The order subkeys are kept and enumerated in: by name, case-insensitively.
bool NameLess(std::string_view a, std::string_view b);

struct RegValue {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

struct RegKey {
  std::string name;
  REGSAM granted = kAllKeyRights;
  std::vector<RegValue> values;   // in the order they were first set
  std::vector<RegKey> subkeys;    // sorted with NameLess

  RegKey* FindSubkey(std::string_view key);
  const RegKey* FindSubkey(std::string_view key) const;
  // Adds a subkey in its sorted place; the name must not be present yet.
  RegKey& AddSubkey(std::string key);
  bool RemoveSubkey(std::string_view key);

  RegValue* FindValue(std::string_view value);
  const RegValue* FindValue(std::string_view value) const;
  bool RemoveValue(std::string_view value);

  // Follows a path of subkey names; null when a key on the way is missing.
  RegKey* Find(const std::vector<std::string>& path);
  const RegKey* Find(const std::vector<std::string>& path) const;
};

// Reads a hive's text form into root (which must be empty). False with the line number and the
// reason in error when the text is not a well-formed hive.
bool ParseHive(std::string_view text, RegKey& root, std::string& error);

// The text form of a hive.
std::string FormatHive(const RegKey& root);

}  // namespace swkv::registry
