// The registry calls, as Windows answers them: ERROR_FILE_NOT_FOUND for a missing key or value,
// ERROR_MORE_DATA (with the size needed) for a short buffer, ERROR_NO_MORE_ITEMS past the last
// subkey or value, ERROR_ACCESS_DENIED for a right the handle or the key does not have,
// ERROR_KEY_DELETED for a handle whose key has gone.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/registry_handles.h"
#include "platform/win.h"

using swkv::registry::ChangeHive;
using swkv::registry::KeyRef;
using swkv::registry::kAllKeyRights;
using swkv::registry::ReadHive;
using swkv::registry::RegKey;
using swkv::registry::RegValue;

namespace {

// Windows limits a key name to 255 characters.
constexpr std::size_t kMaxKeyNameLength = 255;

// Splits a subkey path given by a caller. A null or empty path names the key itself; a path may
// end in one backslash but not begin with one or hold an empty name.
LONG SplitSubKey(LPCSTR subKey, std::vector<std::string>& parts) {
  parts.clear();
  if (!subKey || subKey[0] == '\0') return ERROR_SUCCESS;
  if (subKey[0] == '\\') return ERROR_BAD_PATHNAME;
  std::string_view rest(subKey);
  if (rest.back() == '\\') rest.remove_suffix(1);
  for (;;) {
    std::size_t end = rest.find('\\');
    std::string_view part = rest.substr(0, end);
    if (part.empty()) return ERROR_BAD_PATHNAME;
    parts.emplace_back(part);
    if (end == std::string_view::npos) return ERROR_SUCCESS;
    rest.remove_prefix(end + 1);
  }
}

// The rights a request asks for, MAXIMUM_ALLOWED meaning whatever the key grants.
REGSAM Requested(REGSAM desired, REGSAM granted) {
  REGSAM rights = desired & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
  if (rights & MAXIMUM_ALLOWED) rights = (rights & ~MAXIMUM_ALLOWED) | granted;
  return rights;
}

bool Allows(REGSAM have, REGSAM need) { return (have & need) == need; }

// The key a handle stands for in a fresh read of its hive.
struct Located {
  KeyRef ref;
  RegKey contents;
  RegKey* key = nullptr;
};

LONG Locate(HKEY handle, REGSAM need, Located& found) {
  if (LONG status = swkv::registry::ResolveHandle(handle, found.ref); status != ERROR_SUCCESS)
    return status;
  if (!Allows(found.ref.access, need)) return ERROR_ACCESS_DENIED;
  if (LONG status = ReadHive(found.ref.root, found.ref.hive, found.contents);
      status != ERROR_SUCCESS)
    return status;
  found.key = found.contents.Find(found.ref.path);
  return found.key ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Copies a name into a caller's buffer of *capacity characters, terminator included.
LONG CopyName(const std::string& name, LPSTR buffer, LPDWORD capacity) {
  if (name.size() + 1 > *capacity) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.data(), name.size());
  buffer[name.size()] = '\0';
  *capacity = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// Hands out a value's type and data the way RegQueryValueEx does.
LONG CopyData(const RegValue& value, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (type) *type = value.type;
  const auto needed = static_cast<DWORD>(value.data.size());
  if (data) {
    if (needed > *size) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.data.data(), value.data.size());
  }
  if (size) *size = needed;
  return ERROR_SUCCESS;
}

std::string ValueName(LPCSTR name) { return name ? std::string(name) : std::string(); }

// True when every key of the subtree may be deleted.
bool SubtreeDeletable(const RegKey& key) {
  if (!Allows(key.granted, DELETE)) return false;
  return std::all_of(key.subkeys.begin(), key.subkeys.end(), SubtreeDeletable);
}

LONG OpenOrCreate(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, bool create, PHKEY phkResult,
                  LPDWORD disposition) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  if (create && !lpSubKey) return ERROR_INVALID_PARAMETER;
  std::vector<std::string> parts;
  if (LONG status = SplitSubKey(lpSubKey, parts); status != ERROR_SUCCESS) return status;
  if (parts.empty() && swkv::registry::IsPredefinedHandle(hKey)) {
    // As on Windows, the predefined key itself is handed back.
    *phkResult = hKey;
    if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
  }
  Located base;
  if (LONG status = Locate(hKey, 0, base); status != ERROR_SUCCESS) return status;

  KeyRef result = base.ref;
  const RegKey* target = base.key;
  for (const std::string& part : parts) {
    target = target ? target->FindSubkey(part) : nullptr;
    if (target) result.path.push_back(target->name);
  }
  DWORD outcome = REG_OPENED_EXISTING_KEY;
  REGSAM granted = target ? target->granted : kAllKeyRights;
  if (!target) {
    if (!create) return ERROR_FILE_NOT_FOUND;
    if (!Allows(base.ref.access, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    for (const std::string& part : parts)
      if (part.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    // Under the lock: create what is missing now, which may be less than what was missing above.
    result.path = base.ref.path;
    LONG status = ChangeHive(base.ref.root, base.ref.hive, [&](RegKey& contents, bool& changed) {
      RegKey* key = contents.Find(base.ref.path);
      if (!key) return ERROR_KEY_DELETED;
      for (const std::string& part : parts) {
        RegKey* next = key->FindSubkey(part);
        if (!next) {
          if (!Allows(key->granted, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
          next = &key->AddSubkey(part);
          changed = true;
          outcome = REG_CREATED_NEW_KEY;
        }
        result.path.push_back(next->name);
        key = next;
      }
      granted = key->granted;
      return ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS) return status;
  }
  REGSAM rights = Requested(samDesired, granted);
  if (!Allows(granted, rights)) return ERROR_ACCESS_DENIED;
  result.access = rights;
  HKEY handle = swkv::registry::OpenHandle(std::move(result));
  if (!handle) return ERROR_NOT_ENOUGH_MEMORY;
  *phkResult = handle;
  if (disposition) *disposition = outcome;
  return ERROR_SUCCESS;
}

// Runs change on the handle's key under the hive's lock.
template <class Change>
LONG ChangeKey(HKEY hKey, REGSAM need, Change change) {
  KeyRef ref;
  if (LONG status = swkv::registry::ResolveHandle(hKey, ref); status != ERROR_SUCCESS)
    return status;
  if (!Allows(ref.access, need)) return ERROR_ACCESS_DENIED;
  return ChangeHive(ref.root, ref.hive, [&](RegKey& contents, bool& changed) {
    RegKey* key = contents.Find(ref.path);
    if (!key) return ERROR_KEY_DELETED;
    return change(*key, changed);
  });
}

}  // namespace

extern "C" {

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  return OpenOrCreate(hKey, lpSubKey, samDesired, false, phkResult, nullptr);
}

LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                        const LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
  return OpenOrCreate(hKey, lpSubKey, samDesired, true, phkResult, lpdwDisposition);
}

LSTATUS RegCloseKey(HKEY hKey) { return swkv::registry::CloseHandle(hKey); }

LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD,
                      LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  if (!lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
  Located found;
  if (LONG status = Locate(hKey, KEY_ENUMERATE_SUB_KEYS, found); status != ERROR_SUCCESS)
    return status;
  if (dwIndex >= found.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  if (LONG status = CopyName(found.key->subkeys[dwIndex].name, lpName, lpcchName);
      status != ERROR_SUCCESS)
    return status;
  if (lpClass && lpcchClass && *lpcchClass > 0) {
    lpClass[0] = '\0';
    *lpcchClass = 0;
  }
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                      LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  Located found;
  if (LONG status = Locate(hKey, KEY_QUERY_VALUE, found); status != ERROR_SUCCESS) return status;
  if (dwIndex >= found.key->values.size()) return ERROR_NO_MORE_ITEMS;
  const RegValue& value = found.key->values[dwIndex];
  if (LONG status = CopyName(value.name, lpValueName, lpcchValueName); status != ERROR_SUCCESS)
    return status;
  return CopyData(value, lpType, lpData, lpcbData);
}

LSTATUS RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD,
                         LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                         LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                         LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                         PFILETIME lpftLastWriteTime) {
  Located found;
  if (LONG status = Locate(hKey, KEY_QUERY_VALUE, found); status != ERROR_SUCCESS) return status;
  const RegKey& key = *found.key;
  std::size_t maxSubKey = 0, maxValueName = 0, maxValue = 0;
  for (const RegKey& sub : key.subkeys) maxSubKey = std::max(maxSubKey, sub.name.size());
  for (const RegValue& value : key.values) {
    maxValueName = std::max(maxValueName, value.name.size());
    maxValue = std::max(maxValue, value.data.size());
  }
  if (lpClass && lpcchClass && *lpcchClass > 0) lpClass[0] = '\0';
  if (lpcchClass) *lpcchClass = 0;
  if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(key.subkeys.size());
  if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = static_cast<DWORD>(maxSubKey);
  if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
  if (lpcValues) *lpcValues = static_cast<DWORD>(key.values.size());
  if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = static_cast<DWORD>(maxValueName);
  if (lpcbMaxValueLen) *lpcbMaxValueLen = static_cast<DWORD>(maxValue);
  if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData) {
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  Located found;
  if (LONG status = Locate(hKey, KEY_QUERY_VALUE, found); status != ERROR_SUCCESS) return status;
  const RegValue* value = found.key->FindValue(ValueName(lpValueName));
  if (!value) return ERROR_FILE_NOT_FOUND;
  return CopyData(*value, lpType, lpData, lpcbData);
}

LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                       DWORD cbData) {
  if (!lpData && cbData > 0) return ERROR_NOACCESS;
  std::string data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
  std::string name = ValueName(lpValueName);
  return ChangeKey(hKey, KEY_SET_VALUE, [&](RegKey& key, bool& changed) {
    RegValue* value = key.FindValue(name);
    if (!value) {
      key.values.push_back(RegValue{name, dwType, data});
      changed = true;
    } else if (value->type != dwType || value->data != data) {
      // Only the contents change: the value keeps its place and the spelling of its name.
      value->type = dwType;
      value->data = data;
      changed = true;
    }
    return ERROR_SUCCESS;
  });
}

LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  std::string name = ValueName(lpValueName);
  return ChangeKey(hKey, KEY_SET_VALUE, [&](RegKey& key, bool& changed) {
    changed = key.RemoveValue(name);
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  std::vector<std::string> parts;
  if (LONG status = SplitSubKey(lpSubKey, parts); status != ERROR_SUCCESS) return status;
  KeyRef ref;
  if (LONG status = swkv::registry::ResolveHandle(hKey, ref); status != ERROR_SUCCESS)
    return status;
  std::vector<std::string> path = ref.path;
  path.insert(path.end(), parts.begin(), parts.end());
  if (path.empty()) return ERROR_ACCESS_DENIED;  // a hive's root key cannot be deleted
  return ChangeHive(ref.root, ref.hive, [&](RegKey& contents, bool& changed) {
    if (!contents.Find(ref.path)) return ERROR_KEY_DELETED;
    const std::string last = path.back();
    path.pop_back();
    RegKey* parent = contents.Find(path);
    RegKey* key = parent ? parent->FindSubkey(last) : nullptr;
    if (!key) return ERROR_FILE_NOT_FOUND;
    // Windows deletes only a key without subkeys; RegDeleteTree is for whole subtrees.
    if (!key->subkeys.empty() || !Allows(key->granted, DELETE)) return ERROR_ACCESS_DENIED;
    parent->RemoveSubkey(last);
    changed = true;
    return ERROR_SUCCESS;
  });
}

LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey) {
  std::vector<std::string> parts;
  if (LONG status = SplitSubKey(lpSubKey, parts); status != ERROR_SUCCESS) return status;
  return ChangeKey(hKey, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE,
                   [&](RegKey& base, bool& changed) {
    if (parts.empty()) {
      // Without a subkey the key stays and loses its subkeys and values.
      if (!std::all_of(base.subkeys.begin(), base.subkeys.end(), SubtreeDeletable))
        return ERROR_ACCESS_DENIED;
      changed = !base.subkeys.empty() || !base.values.empty();
      base.subkeys.clear();
      base.values.clear();
      return ERROR_SUCCESS;
    }
    const std::string last = parts.back();
    parts.pop_back();
    RegKey* parent = base.Find(parts);
    RegKey* key = parent ? parent->FindSubkey(last) : nullptr;
    if (!key) return ERROR_FILE_NOT_FOUND;
    // All or nothing: a key that may not be deleted keeps the whole subtree in place.
    if (!SubtreeDeletable(*key)) return ERROR_ACCESS_DENIED;
    parent->RemoveSubkey(last);
    changed = true;
    return ERROR_SUCCESS;
  });
}

LSTATUS SwkvRegSetKeyAccess(HKEY hKey, LPCSTR lpSubKey, REGSAM granted) {
  std::vector<std::string> parts;
  if (LONG status = SplitSubKey(lpSubKey, parts); status != ERROR_SUCCESS) return status;
  if (Allows(granted, KEY_ALL_ACCESS)) granted = kAllKeyRights;
  return ChangeKey(hKey, 0, [&](RegKey& base, bool& changed) {
    RegKey* key = base.Find(parts);
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (key->name.empty()) return ERROR_ACCESS_DENIED;  // a hive's root key is never limited
    changed = key->granted != granted;
    key->granted = granted;
    return ERROR_SUCCESS;
  });
}

}  // extern "C"
