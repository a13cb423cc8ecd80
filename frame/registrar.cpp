#include "frame/registrar.h"

#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/reg_key.h"

namespace swkv {

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

struct Value {
  DWORD type = REG_SZ;
  std::string text;  // REG_SZ
  DWORD number = 0;  // REG_DWORD
};

struct Key {
  std::string name;
  bool forceRemove = false;
  bool noRemove = false;
  std::optional<Value> defaultValue;
  std::vector<std::pair<std::string, Value>> values;
  std::vector<Key> subkeys;
};

struct Root {
  HKEY hive;
  std::vector<Key> keys;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

// Splits a script into tokens; false for a text whose closing quote is missing.
bool Tokenize(std::string_view script, std::vector<Token>& tokens) {
  std::size_t i = 0;
  while (i < script.size()) {
    if (IsSpace(script[i])) {
      ++i;
    } else if (script.substr(i, 2) == "//") {
      while (i < script.size() && script[i] != '\n') ++i;
    } else if (script[i] == '\'') {
      Token token{{}, true};
      for (++i;; ++i) {
        if (i >= script.size()) return false;
        if (script[i] == '\'') {
          if (i + 1 < script.size() && script[i + 1] == '\'') {
            token.text.push_back('\'');
            ++i;
            continue;
          }
          ++i;
          break;
        }
        token.text.push_back(script[i]);
      }
      tokens.push_back(std::move(token));
    } else {
      std::size_t start = i;
      while (i < script.size() && !IsSpace(script[i])) ++i;
      tokens.push_back({std::string(script.substr(start, i - start)), false});
    }
  }
  return true;
}

class Parser {
 public:
  Parser(const std::vector<Token>& tokens, const std::map<std::string, std::string>& replacements)
      : m_tokens(tokens), m_replacements(replacements) {}

  bool Script(std::vector<Root>& roots) {
    while (m_next < m_tokens.size()) {
      Root root{};
      const Token& name = m_tokens[m_next++];
      if (name.quoted || !(root.hive = Hive(name.text))) return false;
      if (!Punctuation("{") || !Keys(root.keys)) return false;
      roots.push_back(std::move(root));
    }
    return true;
  }

 private:
  static HKEY Hive(std::string_view name) {
    if (SameWord(name, "HKCR") || SameWord(name, "HKEY_CLASSES_ROOT")) return HKEY_CLASSES_ROOT;
    if (SameWord(name, "HKLM") || SameWord(name, "HKEY_LOCAL_MACHINE")) return HKEY_LOCAL_MACHINE;
    if (SameWord(name, "HKCU") || SameWord(name, "HKEY_CURRENT_USER")) return HKEY_CURRENT_USER;
    return nullptr;
  }

  bool AtPunctuation(std::string_view text) const {
    return m_next < m_tokens.size() && !m_tokens[m_next].quoted && m_tokens[m_next].text == text;
  }
  bool AtKeyword(std::string_view word) const {
    return m_next < m_tokens.size() && !m_tokens[m_next].quoted &&
           SameWord(m_tokens[m_next].text, word);
  }
  bool Punctuation(std::string_view text) {
    if (!AtPunctuation(text)) return false;
    ++m_next;
    return true;
  }

  // Keys (and, inside a key, "val" entries) up to the closing brace.
  bool Keys(std::vector<Key>& keys, Key* owner = nullptr) {
    while (!Punctuation("}")) {
      if (m_next >= m_tokens.size()) return false;
      if (owner && AtKeyword("val")) {
        ++m_next;
        std::string name;
        Value value;
        if (!Name(name) || !Punctuation("=") || !TypedValue(value)) return false;
        owner->values.emplace_back(std::move(name), std::move(value));
        continue;
      }
      Key key;
      if (AtKeyword("ForceRemove")) {
        key.forceRemove = true;
        ++m_next;
      } else if (AtKeyword("NoRemove")) {
        key.noRemove = true;
        ++m_next;
      }
      if (!Name(key.name)) return false;
      if (Punctuation("=")) {
        key.defaultValue.emplace();
        if (!TypedValue(*key.defaultValue)) return false;
      }
      if (Punctuation("{") && !Keys(key.subkeys, &key)) return false;
      keys.push_back(std::move(key));
    }
    return true;
  }

  bool Name(std::string& name) {
    if (m_next >= m_tokens.size()) return false;
    const Token& token = m_tokens[m_next];
    if (!token.quoted && (token.text == "{" || token.text == "}" || token.text == "="))
      return false;
    ++m_next;
    return Substitute(token.text, name) && !name.empty();
  }

  bool TypedValue(Value& value) {
    if (m_next + 1 >= m_tokens.size() || m_tokens[m_next].quoted) return false;
    const std::string& type = m_tokens[m_next].text;
    std::string text;
    if (!Substitute(m_tokens[m_next + 1].text, text)) return false;
    m_next += 2;
    if (SameWord(type, "s")) {
      value.type = REG_SZ;
      value.text = std::move(text);
      return true;
    }
    if (SameWord(type, "d")) {
      char* end = nullptr;
      // 64 bits wide everywhere: a 32-bit unsigned long would take a larger number as its maximum.
      unsigned long long number = std::strtoull(text.c_str(), &end, 0);
      if (text.empty() || *end != '\0' || number > 0xFFFFFFFFull) return false;
      value.type = REG_DWORD;
      value.number = static_cast<DWORD>(number);
      return true;
    }
    return false;
  }

  bool Substitute(const std::string& text, std::string& out) const {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '%') {
        out.push_back(text[i]);
        continue;
      }
      std::size_t end = text.find('%', i + 1);
      if (end == std::string::npos) return false;
      if (end == i + 1) {
        out.push_back('%');
      } else {
        auto found = m_replacements.find(text.substr(i + 1, end - i - 1));
        if (found == m_replacements.end()) return false;
        out += found->second;
      }
      i = end;
    }
    return true;
  }

  const std::vector<Token>& m_tokens;
  const std::map<std::string, std::string>& m_replacements;
  std::size_t m_next = 0;
};

// Rights on every key the registrar opens: it reads, writes and deletes below it.
constexpr REGSAM kKeyRights = KEY_READ | KEY_WRITE | DELETE;

LONG WriteValue(HKEY key, const char* name, const Value& value) {
  if (value.type == REG_DWORD)
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                          sizeof value.number);
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                        static_cast<DWORD>(value.text.size() + 1));
}

LONG RegisterKey(HKEY parent, const Key& key) {
  if (key.forceRemove) {
    LONG status = RegDeleteTreeA(parent, key.name.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
  }
  UniqueHkey opened;
  LONG status = RegCreateKeyExA(parent, key.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                kKeyRights, nullptr, opened.put(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  if (key.defaultValue)
    if ((status = WriteValue(opened.get(), nullptr, *key.defaultValue)) != ERROR_SUCCESS)
      return status;
  for (const auto& [name, value] : key.values)
    if ((status = WriteValue(opened.get(), name.c_str(), value)) != ERROR_SUCCESS) return status;
  for (const Key& subkey : key.subkeys)
    if ((status = RegisterKey(opened.get(), subkey)) != ERROR_SUCCESS) return status;
  return ERROR_SUCCESS;
}

// Goes on after failures; keeps the first one in firstFailure.
void UnregisterKey(HKEY parent, const Key& key, LONG& firstFailure) {
  auto note = [&firstFailure](LONG status) {
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && firstFailure == ERROR_SUCCESS)
      firstFailure = status;
  };
  if (!key.noRemove) {
    note(RegDeleteTreeA(parent, key.name.c_str()));
    return;
  }
  UniqueHkey opened;
  LONG status = RegOpenKeyExA(parent, key.name.c_str(), 0, kKeyRights, opened.put());
  if (status != ERROR_SUCCESS) {
    note(status);
    return;
  }
  for (const auto& value : key.values) note(RegDeleteValueA(opened.get(), value.first.c_str()));
  for (const Key& subkey : key.subkeys) UnregisterKey(opened.get(), subkey, firstFailure);
}

bool Parse(std::string_view script, const std::map<std::string, std::string>& replacements,
           std::vector<Root>& roots) {
  std::vector<Token> tokens;
  return Tokenize(script, tokens) && Parser(tokens, replacements).Script(roots);
}

}  // namespace

void CRegistrar::AddReplacement(std::string name, std::string value) {
  m_replacements[std::move(name)] = std::move(value);
}

HRESULT CRegistrar::Register(std::string_view script) const {
  try {
    std::vector<Root> roots;
    if (!Parse(script, m_replacements, roots)) return E_INVALIDARG;
    for (const Root& root : roots)
      for (const Key& key : root.keys)
        if (LONG status = RegisterKey(root.hive, key); status != ERROR_SUCCESS)
          return HRESULT_FROM_WIN32(status);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CRegistrar::Unregister(std::string_view script) const {
  try {
    std::vector<Root> roots;
    if (!Parse(script, m_replacements, roots)) return E_INVALIDARG;
    LONG firstFailure = ERROR_SUCCESS;
    for (const Root& root : roots)
      for (const Key& key : root.keys) UnregisterKey(root.hive, key, firstFailure);
    return HRESULT_FROM_WIN32(firstFailure);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace swkv
