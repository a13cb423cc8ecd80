#include "tools/swkvctl/registration.h"

#include <cstdio>
#include <vector>

#include "platform/reg_key.h"

namespace swkv::ctl {

namespace {

const char kClassesRoot[] = "HKEY_CLASSES_ROOT\\";

// The default value (or the named one) of a key of HKEY_CLASSES_ROOT as text; false when the key
// or the value is missing or is not text.
bool ReadText(const std::string& path, const char* valueName, std::string& text) {
  UniqueHkey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                       &size) != ERROR_SUCCESS)
    return false;
  text.assign(data.data());  // up to the terminator
  return true;
}

bool KeyExists(const std::string& path) {
  UniqueHkey key;
  return RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseGuid(std::string_view text, GUID& guid) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
    return false;
  std::vector<int> bytes;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '-') {
      ++i;
      continue;
    }
    int high = HexDigit(text[i]);
    int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    if (high < 0 || low < 0) return false;
    bytes.push_back(high * 16 + low);
    i += 2;
  }
  if (bytes.size() != 16) return false;
  guid.Data1 = static_cast<DWORD>((static_cast<unsigned>(bytes[0]) << 24) | (bytes[1] << 16) |
                                  (bytes[2] << 8) | bytes[3]);
  guid.Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
  guid.Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<BYTE>(bytes[8 + i]);
  return true;
}

std::string GuidText(const GUID& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

bool LookUpRegistration(Registration& found, std::string& missing) {
  std::string progId = kProgId;
  if (!KeyExists(progId)) {
    missing = std::string(kClassesRoot) + progId + " does not exist";
    return false;
  }
  std::string clsidText;
  if (!ReadText(progId + "\\CLSID", "", clsidText)) {
    std::string current;
    if (!ReadText(progId + "\\CurVer", "", current) || current.empty()) {
      missing = std::string(kClassesRoot) + progId + " has neither CLSID nor CurVer";
      return false;
    }
    progId = current;
    if (!ReadText(progId + "\\CLSID", "", clsidText)) {
      missing = std::string(kClassesRoot) + progId + "\\CLSID does not exist";
      return false;
    }
  } else {
    // The versioned ProgID is what the agent records; name it when CurVer tells it.
    std::string current;
    if (ReadText(progId + "\\CurVer", "", current) && !current.empty()) progId = current;
  }
  if (!ParseGuid(clsidText, found.clsid)) {
    missing = std::string(kClassesRoot) + progId + "\\CLSID holds \"" + clsidText +
              "\", which is not a class id";
    return false;
  }
  found.progId = progId;
  found.clsidText = GuidText(found.clsid);
  const std::string server = "CLSID\\" + found.clsidText + "\\InprocServer32";
  if (!ReadText(server, "", found.modulePath) || found.modulePath.empty()) {
    missing = std::string(kClassesRoot) + server + " does not name a module";
    return false;
  }
  return true;
}

}  // namespace swkv::ctl
