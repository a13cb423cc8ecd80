// The adapter settings text and the table it is edited in.
//
// The text is a sequence of pairs, each a name, "=", a value and ";", for example
// "WRITEBACKCACHE=1;SMARTENABLE=0;". A pair's name is the text before its first "=", its value
// everything after it (further "=" included). Storing a setting parses the stored text into the
// table, puts the one setting and formats the table back into text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace swkv {

class AdapterSettingsTable {
 public:
  // New names are added only while the table holds fewer entries than this. Pairs read from the
  // stored text are all kept, however many there are and however long they are, so that what is
  // stored is always written back whole.
  static constexpr std::size_t kCapacity = 32;

  struct Entry {
    std::string name;
    std::string value;
  };

  // Replaces the table's contents with the pairs of text, in order. Empty tokens and tokens
  // without "=" are dropped.
  void Parse(std::string_view text);

  // The first entry whose name equals name, compared case-insensitively; null when none does.
  Entry* Find(std::string_view name);

  // Sets the entry of that name to the decimal text of value, keeping the stored spelling of its
  // name, or appends a new entry. False, with nothing changed, when the name is new and the table
  // already holds kCapacity entries.
  bool Put(std::string_view name, std::int32_t value);

  // The table as settings text: "name=value;" for each entry, in order.
  void Format(std::string& out) const;

  const std::vector<Entry>& entries() const { return m_entries; }

 private:
  std::vector<Entry> m_entries;
};

// The process-wide table that every store works in. It holds nothing between stores.
AdapterSettingsTable& SettingsTable();

// The process-wide table's operations under the names the controller node and the store use.
void ParseSettingsText(std::string_view text);
AdapterSettingsTable::Entry* FindSetting(std::string_view name);
bool PutSetting(std::string_view name, std::int32_t value);
void FormatSettingsText(std::string& out);

}  // namespace swkv
