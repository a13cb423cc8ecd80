#include "platform/posix/registry_hive.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace swkv::registry {

namespace {

constexpr std::string_view kHeader = "swkv-registry-hive 1";
constexpr std::string_view kEnd = "end";

unsigned char Fold(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

template <class Items>
auto FindNamed(Items& items, std::string_view name) -> decltype(items.data()) {
  for (auto& item : items)
    if (NamesEqual(item.name, name)) return &item;
  return nullptr;
}

template <class Items>
bool RemoveNamed(Items& items, std::string_view name) {
  auto it = std::find_if(items.begin(), items.end(),
                         [&](const auto& item) { return NamesEqual(item.name, name); });
  if (it == items.end()) return false;
  items.erase(it);
  return true;
}

// ---- text form -------------------------------------------------------------------------------

bool NeedsEscape(unsigned char c) { return c < 0x20 || c > 0x7E || c == '"' || c == '%'; }

void AppendQuoted(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '"';
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (NeedsEscape(u)) {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  out += '"';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted field at the start of rest and removes it from rest.
bool TakeQuoted(std::string_view& rest, std::string& out, std::string& error) {
  out.clear();
  if (rest.empty() || rest.front() != '"') {
    error = "a quoted text was expected";
    return false;
  }
  std::size_t i = 1;
  for (; i < rest.size() && rest[i] != '"'; ++i) {
    auto u = static_cast<unsigned char>(rest[i]);
    if (u == '%') {
      int high = i + 2 < rest.size() ? HexDigit(rest[i + 1]) : -1;
      int low = i + 2 < rest.size() ? HexDigit(rest[i + 2]) : -1;
      if (high < 0 || low < 0) {
        error = "a % in a quoted text is not followed by two hexadecimal digits";
        return false;
      }
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else if (NeedsEscape(u)) {
      error = "a quoted text holds a byte that should have been escaped";
      return false;
    } else {
      out += rest[i];
    }
  }
  if (i >= rest.size()) {
    error = "a quoted text has no closing quote";
    return false;
  }
  rest.remove_prefix(i + 1);
  return true;
}

// Reads " word" (one space, then characters up to the next space or the end of the line).
bool TakeWord(std::string_view& rest, std::string_view& word) {
  if (rest.size() < 2 || rest.front() != ' ') return false;
  rest.remove_prefix(1);
  std::size_t end = std::min(rest.find(' '), rest.size());
  word = rest.substr(0, end);
  rest.remove_prefix(end);
  return !word.empty();
}

bool ParseUnsigned(std::string_view word, int base, DWORD& value) {
  if (base == 16) {
    if (word.size() < 3 || word.substr(0, 2) != "0x") return false;
    word.remove_prefix(2);
  }
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, base);
  return ec == std::errc() && end == word.data() + word.size();
}

bool SplitStoredPath(const std::string& path, std::vector<std::string>& parts) {
  parts.clear();
  std::size_t start = 0;
  for (;;) {
    std::size_t end = path.find('\\', start);
    std::string part = path.substr(start, end == std::string::npos ? end : end - start);
    if (part.empty()) return false;
    parts.push_back(std::move(part));
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

class HiveParser {
 public:
  explicit HiveParser(RegKey& root) : m_root(root), m_current(&root) {}

  bool Parse(std::string_view text, std::string& error) {
    bool sawHeader = false;
    bool sawEnd = false;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
      ++lineNumber;
      std::size_t newline = text.find('\n');
      if (newline == std::string_view::npos) {
        error = Where(lineNumber) + "the last line is cut off (the file is incomplete)";
        return false;
      }
      std::string_view line = text.substr(0, newline);
      text.remove_prefix(newline + 1);
      if (sawEnd) {
        error = Where(lineNumber) + "there is text after the end line";
        return false;
      }
      if (!sawHeader) {
        if (line != kHeader) {
          error = Where(lineNumber) + "not a registry hive file (expected \"" +
                  std::string(kHeader) + "\")";
          return false;
        }
        sawHeader = true;
        continue;
      }
      if (line.empty() || line.front() == '#') continue;
      if (line == kEnd) {
        sawEnd = true;
        continue;
      }
      std::string reason;
      if (!ParseLine(line, reason)) {
        error = Where(lineNumber) + reason;
        return false;
      }
    }
    if (!sawHeader) {
      error = "the file is empty";
      return false;
    }
    if (!sawEnd) {
      error = "the end line is missing (the file is incomplete)";
      return false;
    }
    return true;
  }

 private:
  static std::string Where(std::size_t line) { return "line " + std::to_string(line) + ": "; }

  bool ParseLine(std::string_view line, std::string& error) {
    if (line.starts_with("key ")) return ParseKey(line.substr(4), error);
    if (line.starts_with("value ")) return ParseValue(line.substr(6), error);
    error = "unknown line";
    return false;
  }

  bool ParseKey(std::string_view rest, std::string& error) {
    std::string path;
    if (!TakeQuoted(rest, path, error)) return false;
    std::vector<std::string> parts;
    if (!SplitStoredPath(path, parts)) {
      error = "a key path has an empty name in it";
      return false;
    }
    REGSAM granted = kAllKeyRights;
    if (!rest.empty()) {
      std::string_view word, number;
      if (!TakeWord(rest, word) || word != "access" || !TakeWord(rest, number) ||
          !ParseUnsigned(number, 16, granted) || !rest.empty()) {
        error = "a key line ends in something other than \"access 0x...\"";
        return false;
      }
    }
    std::string last = parts.back();
    parts.pop_back();
    RegKey* parent = m_root.Find(parts);
    if (!parent) {
      error = "a key is listed before its parent";
      return false;
    }
    if (parent->FindSubkey(last)) {
      error = "a key is listed twice";
      return false;
    }
    m_current = &parent->AddSubkey(std::move(last));
    m_current->granted = granted;
    return true;
  }

  bool ParseValue(std::string_view rest, std::string& error) {
    RegValue value;
    if (!TakeQuoted(rest, value.name, error)) return false;
    std::string_view typeWord;
    if (!TakeWord(rest, typeWord) || !ParseUnsigned(typeWord, 10, value.type)) {
      error = "a value line has no decimal type after its name";
      return false;
    }
    if (rest.empty() || rest.front() != ' ') {
      error = "a value line has no data";
      return false;
    }
    rest.remove_prefix(1);
    if (!TakeQuoted(rest, value.data, error)) return false;
    if (!rest.empty()) {
      error = "a value line has text after its data";
      return false;
    }
    if (m_current->FindValue(value.name)) {
      error = "a value is listed twice in one key";
      return false;
    }
    m_current->values.push_back(std::move(value));
    return true;
  }

  RegKey& m_root;
  RegKey* m_current;
};

void FormatValues(std::string& out, const RegKey& key) {
  for (const RegValue& value : key.values) {
    out += "value ";
    AppendQuoted(out, value.name);
    out += ' ';
    out += std::to_string(value.type);
    out += ' ';
    AppendQuoted(out, value.data);
    out += '\n';
  }
}

void FormatKeys(std::string& out, const RegKey& key, const std::string& path) {
  for (const RegKey& sub : key.subkeys) {
    std::string subPath = path.empty() ? sub.name : path + "\\" + sub.name;
    out += "key ";
    AppendQuoted(out, subPath);
    if (sub.granted != kAllKeyRights) {
      char access[32];
      std::snprintf(access, sizeof access, " access 0x%08X", static_cast<unsigned>(sub.granted));
      out += access;
    }
    out += '\n';
    FormatValues(out, sub);
    FormatKeys(out, sub, subPath);
  }
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

bool NameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Fold(x) < Fold(y); });
}

RegKey* RegKey::FindSubkey(std::string_view key) { return FindNamed(subkeys, key); }
const RegKey* RegKey::FindSubkey(std::string_view key) const { return FindNamed(subkeys, key); }

RegKey& RegKey::AddSubkey(std::string key) {
  auto it = std::upper_bound(subkeys.begin(), subkeys.end(), key,
                             [](const std::string& k, const RegKey& s) { return NameLess(k, s.name); });
  RegKey added;
  added.name = std::move(key);
  return *subkeys.insert(it, std::move(added));
}

bool RegKey::RemoveSubkey(std::string_view key) { return RemoveNamed(subkeys, key); }

RegValue* RegKey::FindValue(std::string_view value) { return FindNamed(values, value); }
const RegValue* RegKey::FindValue(std::string_view value) const {
  return FindNamed(values, value);
}
bool RegKey::RemoveValue(std::string_view value) { return RemoveNamed(values, value); }

RegKey* RegKey::Find(const std::vector<std::string>& path) {
  RegKey* key = this;
  for (const std::string& part : path) {
    key = key->FindSubkey(part);
    if (!key) return nullptr;
  }
  return key;
}

const RegKey* RegKey::Find(const std::vector<std::string>& path) const {
  return const_cast<RegKey*>(this)->Find(path);
}

bool ParseHive(std::string_view text, RegKey& root, std::string& error) {
  return HiveParser(root).Parse(text, error);
}

std::string FormatHive(const RegKey& root) {
  std::string out(kHeader);
  out += '\n';
  FormatValues(out, root);
  FormatKeys(out, root, "");
  out += kEnd;
  out += '\n';
  return out;
}

}  // namespace swkv::registry
