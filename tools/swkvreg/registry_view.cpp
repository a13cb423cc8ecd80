#include "tools/swkvreg/registry_view.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/reg_key.h"

namespace swkv::tools {

namespace {

const std::array<KeyName, 3> kHives = {{
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", ""},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", ""},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", ""},
}};

bool EqualIgnoringCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

struct Value {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

// A key's subkey names and values, read with buffers sized from RegQueryInfoKeyA. A key that
// grows while it is read is read again.
LONG ReadKey(HKEY key, std::vector<std::string>& subkeys, std::vector<Value>& values) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    subkeys.clear();
    values.clear();
    DWORD subkeyCount = 0, maxSubkey = 0, valueCount = 0, maxName = 0, maxData = 0;
    LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeyCount, &maxSubkey,
                                   nullptr, &valueCount, &maxName, &maxData, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return status;
    std::vector<char> name(std::max(maxSubkey, maxName) + 1);
    std::vector<BYTE> data(maxData + 1);
    bool grew = false;
    for (DWORD i = 0; !grew; ++i) {
      DWORD length = static_cast<DWORD>(name.size());
      status = RegEnumKeyExA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status == ERROR_MORE_DATA) grew = true;
      else if (status != ERROR_SUCCESS) return status;
      else subkeys.emplace_back(name.data(), length);
    }
    for (DWORD i = 0; !grew; ++i) {
      DWORD length = static_cast<DWORD>(name.size());
      DWORD size = static_cast<DWORD>(data.size());
      Value value;
      status = RegEnumValueA(key, i, name.data(), &length, nullptr, &value.type, data.data(), &size);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status == ERROR_MORE_DATA) grew = true;
      else if (status != ERROR_SUCCESS) return status;
      else {
        value.name.assign(name.data(), length);
        value.data.assign(reinterpret_cast<const char*>(data.data()), size);
        values.push_back(std::move(value));
      }
    }
    if (!grew) return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

// Text fit for a .reg string: printable, with its one terminator at the end.
bool IsPlainString(const std::string& data) {
  if (data.empty() || data.back() != '\0') return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i)
    if (static_cast<unsigned char>(data[i]) < 0x20) return false;
  return true;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Hex(unsigned value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*x", digits, value);
  return buffer;
}

// The data part of a .reg value line whose name part takes column characters.
std::string RegFileData(const Value& value, std::size_t column) {
  if ((value.type == REG_SZ) && IsPlainString(value.data))
    return Quoted(value.data.substr(0, value.data.size() - 1));
  if (value.type == REG_DWORD && value.data.size() == 4) {
    std::uint32_t number;
    std::memcpy(&number, value.data.data(), 4);
    return "dword:" + Hex(number, 8);
  }
  std::string out = value.type == REG_BINARY ? "hex:" : "hex(" + Hex(value.type, 0) + "):";
  // Long byte lists continue on the next line after a backslash, as .reg files have them, so
  // that no line is longer than 80 characters.
  constexpr std::size_t kLastColumn = 76;
  column += out.size();
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    if (i > 0) {
      out += ',';
      if (column + 3 > kLastColumn) {
        out += "\\\n  ";
        column = 2;
      }
    }
    out += Hex(static_cast<unsigned char>(value.data[i]), 2);
    column += 3;
  }
  return out;
}

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return nullptr;
  }
}

std::string ListingLine(const Value& value) {
  std::string line = "    " + (value.name.empty() ? std::string("(Default)") : value.name) + "    ";
  const char* type = TypeName(value.type);
  line += type ? type : "0x" + Hex(value.type, 0);
  line += "    ";
  if ((value.type == REG_SZ || value.type == REG_EXPAND_SZ) && IsPlainString(value.data)) {
    line += value.data.substr(0, value.data.size() - 1);
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    std::uint32_t number;
    std::memcpy(&number, value.data.data(), 4);
    line += "0x" + Hex(number, 0);
  } else {
    for (unsigned char c : value.data) {
      char digits[4];
      std::snprintf(digits, sizeof digits, "%02X", c);
      line += digits;
    }
  }
  return line;
}

LONG Open(const KeyName& key, UniqueHkey& handle) {
  return RegOpenKeyExA(key.hive, key.path.empty() ? nullptr : key.path.c_str(), 0, KEY_READ,
                       handle.put());
}

LONG ExportOpenKey(HKEY handle, const std::string& fullName, std::ostream& out) {
  std::vector<std::string> subkeys;
  std::vector<Value> values;
  if (LONG status = ReadKey(handle, subkeys, values); status != ERROR_SUCCESS) return status;
  out << "\n[" << fullName << "]\n";
  for (const Value& value : values) {
    std::string name = value.name.empty() ? std::string("@") : Quoted(value.name);
    out << name << '=' << RegFileData(value, name.size() + 1) << '\n';
  }
  for (const std::string& subkey : subkeys) {
    UniqueHkey child;
    // A subkey deleted meanwhile, or one we may not read, is left out.
    if (RegOpenKeyExA(handle, subkey.c_str(), 0, KEY_READ, child.put()) != ERROR_SUCCESS) continue;
    if (LONG status = ExportOpenKey(child.get(), fullName + "\\" + subkey, out);
        status != ERROR_SUCCESS)
      return status;
  }
  return ERROR_SUCCESS;
}

}  // namespace

bool ParseKeyName(const std::string& text, KeyName& key) {
  static const struct {
    const char* shortName;
    const KeyName* hive;
  } kAliases[] = {{"HKCR", &kHives[0]}, {"HKCU", &kHives[1]}, {"HKLM", &kHives[2]}};
  std::size_t split = text.find('\\');
  std::string hive = text.substr(0, split);
  std::string path = split == std::string::npos ? std::string() : text.substr(split + 1);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  for (const auto& alias : kAliases) {
    if (EqualIgnoringCase(hive, alias.shortName) || EqualIgnoringCase(hive, alias.hive->hiveName.c_str())) {
      key = *alias.hive;
      key.path = path;
      return true;
    }
  }
  return false;
}

const KeyName* KnownHives(std::size_t& count) {
  count = kHives.size();
  return kHives.data();
}

LONG ExportKey(const KeyName& key, std::ostream& out) {
  UniqueHkey handle;
  if (LONG status = Open(key, handle); status != ERROR_SUCCESS) return status;
  return ExportOpenKey(handle.get(), key.Full(), out);
}

LONG QueryKey(const KeyName& key, std::ostream& out) {
  UniqueHkey handle;
  if (LONG status = Open(key, handle); status != ERROR_SUCCESS) return status;
  std::vector<std::string> subkeys;
  std::vector<Value> values;
  if (LONG status = ReadKey(handle.get(), subkeys, values); status != ERROR_SUCCESS) return status;
  out << key.Full() << '\n';
  for (const Value& value : values) out << ListingLine(value) << '\n';
  if (!subkeys.empty()) out << '\n';
  for (const std::string& subkey : subkeys) out << key.Full() << '\\' << subkey << '\n';
  return ERROR_SUCCESS;
}

LONG QueryValue(const KeyName& key, const std::string& valueName, std::ostream& out) {
  UniqueHkey handle;
  if (LONG status = Open(key, handle); status != ERROR_SUCCESS) return status;
  Value value;
  value.name = valueName == "@" ? std::string() : valueName;
  DWORD size = 0;
  LONG status;
  do {
    value.data.resize(size);
    status = RegQueryValueExA(handle.get(), value.name.c_str(), nullptr, &value.type,
                              reinterpret_cast<LPBYTE>(value.data.data()), &size);
  } while (status == ERROR_MORE_DATA);
  if (status != ERROR_SUCCESS) return status;
  value.data.resize(size);
  out << key.Full() << '\n' << ListingLine(value) << '\n';
  return ERROR_SUCCESS;
}

}  // namespace swkv::tools
