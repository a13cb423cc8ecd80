#include "river/args.h"

namespace swkv {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view SkipSign(std::string_view text, bool* negative) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  *negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    *negative = text.front() == '-';
    text.remove_prefix(1);
  }
  return text;
}

}  // namespace

std::vector<std::string_view> SplitArgs(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  std::size_t fieldStart = 0;  // the first field gets no quote treatment
  for (;;) {
    std::size_t found = text.find(separator, fieldStart);
    if (found == std::string_view::npos) {
      fields.push_back(text.substr(fieldStart));
      return fields;
    }
    fields.push_back(text.substr(fieldStart, found - fieldStart));
    fieldStart = found + 1;
    // Quoted fields: each runs to its closing quote; the next separator is searched after it.
    while (fieldStart < text.size() && text[fieldStart] == '"') {
      std::size_t closing = text.find('"', fieldStart + 1);
      if (closing == std::string_view::npos) return fields;
      fields.push_back(text.substr(fieldStart + 1, closing - fieldStart - 1));
      std::size_t after = text.find(separator, closing + 1);
      if (after == std::string_view::npos) return fields;
      fieldStart = after + 1;
    }
  }
}

std::int32_t ParseDecimal(std::string_view text) {
  bool negative = false;
  text = SkipSign(text, &negative);
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

bool StartsWithNumber(std::string_view text) {
  bool negative = false;
  text = SkipSign(text, &negative);
  return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

}  // namespace swkv
