#include "settings/adapter_settings_table.h"

#include <algorithm>

namespace swkv {

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace

void AdapterSettingsTable::Parse(std::string_view text) {
  m_entries.clear();
  while (!text.empty()) {
    std::size_t end = std::min(text.find(';'), text.size());
    std::string_view token = text.substr(0, end);
    text.remove_prefix(end < text.size() ? end + 1 : end);
    std::size_t equals = token.find('=');
    if (equals == std::string_view::npos) continue;  // empty tokens too
    m_entries.push_back(Entry{std::string(token.substr(0, equals)),
                              std::string(token.substr(equals + 1))});
  }
}

AdapterSettingsTable::Entry* AdapterSettingsTable::Find(std::string_view name) {
  for (Entry& entry : m_entries)
    if (EqualIgnoringCase(entry.name, name)) return &entry;
  return nullptr;
}

bool AdapterSettingsTable::Put(std::string_view name, std::int32_t value) {
  std::string text = std::to_string(value);
  if (Entry* entry = Find(name)) {
    entry->value = std::move(text);
    return true;
  }
  if (m_entries.size() >= kCapacity) return false;
  m_entries.push_back(Entry{std::string(name), std::move(text)});
  return true;
}

void AdapterSettingsTable::Format(std::string& out) const {
  out.clear();
  for (const Entry& entry : m_entries) {
    out += entry.name;
    out += '=';
    out += entry.value;
    out += ';';
  }
}

AdapterSettingsTable& SettingsTable() {
  static AdapterSettingsTable table;
  return table;
}

void ParseSettingsText(std::string_view text) { SettingsTable().Parse(text); }
AdapterSettingsTable::Entry* FindSetting(std::string_view name) { return SettingsTable().Find(name); }
bool PutSetting(std::string_view name, std::int32_t value) { return SettingsTable().Put(name, value); }
void FormatSettingsText(std::string& out) { SettingsTable().Format(out); }

}  // namespace swkv
