#include "tools/swkvctl/entry_json.h"

#include <cstdio>

#include "tools/swkvctl/json_text.h"
#include "tools/swkvctl/value_notes.h"

namespace swkv::ctl {

long long SizeBytes(std::string_view text) {
  unsigned whole = 0, thousandths = 0, mib = 0;
  char unit[8] = {};
  int used = 0;
  const std::string copy(text);
  if (std::sscanf(copy.c_str(), "%u.%3u %7s (%u MB)%n", &whole, &thousandths, unit, &mib, &used) ==
          4 &&
      used == static_cast<int>(copy.size()) && std::string_view(unit) == "GB")
    return static_cast<long long>(mib) << 20;
  used = 0;
  if (std::sscanf(copy.c_str(), "%u.%3u %7s%n", &whole, &thousandths, unit, &used) == 3 &&
      used == static_cast<int>(copy.size())) {
    const std::string_view name(unit);
    const int shift = name == "GB" ? 30 : name == "MB" ? 20 : -1;
    if (shift < 0) return -1;
    // The fraction is thousandths of 1024 units of the next size down, rounded down.
    const long long below = (static_cast<long long>(thousandths) * 1024 + 999) / 1000;
    return (static_cast<long long>(whole) << shift) + (below << (shift - 10));
  }
  used = 0;
  if (std::sscanf(copy.c_str(), "%u %7s%n", &whole, unit, &used) == 2 &&
      used == static_cast<int>(copy.size())) {
    if (std::string_view(unit) == "MB") return static_cast<long long>(whole) << 20;
    if (std::string_view(unit) == "Bytes") return whole;
  }
  return -1;
}

std::string EntryJson(int kind, const Entry& entry) {
  std::string json = "{\"name\": " + JsonString(entry.name) + ", \"access\": " +
                     JsonString(entry.access) + ", \"value\": " + JsonString(entry.value);
  const std::string note = entry.IsLink() ? std::string() : ValueNote(kind, entry);
  if (!note.empty()) json += ", \"note\": " + JsonString(note);
  if (entry.name == "Size")
    if (const long long bytes = SizeBytes(entry.value); bytes >= 0)
      json += ", \"bytes\": " + std::to_string(bytes);
  return json + "}";
}

}  // namespace swkv::ctl
