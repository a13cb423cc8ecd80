#include "sim/json_read.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace swkv::sim {

void Refuse(const std::string& place, const std::string& reason) {
  throw DocumentError{place.empty() ? "/" : place, reason};
}

namespace {

// "line L, column C" of the byte at offset end (counted from 1).
std::string LineAndColumn(const std::string& text, std::size_t end) {
  end = std::min(end, text.size());
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The parser's message without its "[json.exception...] " prefix.
std::string WithoutPrefix(const std::string& what) {
  std::size_t end = what.find("] ");
  return end == std::string::npos ? what : what.substr(end + 2);
}

}  // namespace

Json ParseDocument(const std::string& text) {
  try {
    return Json::parse(text);
  } catch (const Json::parse_error& e) {
    // The reason follows the parser's own place ("... at line 1, column 4: ...").
    std::string what = e.what();
    std::size_t colon = what.rfind(": ");
    Refuse(LineAndColumn(text, e.byte > 0 ? e.byte - 1 : 0),
           "not valid JSON (" + (colon == std::string::npos ? what : what.substr(colon + 2)) + ")");
  } catch (const Json::out_of_range& e) {
    // A number beyond the range of a double ("1e400"). The parser names the number but not its
    // place: the place given is where that text first appears.
    std::string what = WithoutPrefix(e.what());
    std::size_t open = what.find('\''), close = what.rfind('\'');
    std::size_t at = std::string::npos;
    if (open != std::string::npos && close > open)
      at = text.find(what.substr(open + 1, close - open - 1));
    Refuse(at == std::string::npos ? std::string() : LineAndColumn(text, at),
           "not valid JSON (" + what + ")");
  }
}

std::string Place(const std::string& parent, const std::string& key) { return parent + "/" + key; }

std::string Place(const std::string& parent, std::size_t index) {
  return parent + "/" + std::to_string(index);
}

void ExpectObject(const Json& value, const std::string& place,
                  std::initializer_list<const char*> keys) {
  if (!value.is_object()) Refuse(place, "must be an object");
  for (const auto& item : value.items()) {
    bool known = false;
    for (const char* k : keys) known = known || item.key() == k;
    if (!known) Refuse(Place(place, item.key()), "unknown field");
  }
}

const Json& ExpectArray(const Json& object, const char* key, const std::string& place) {
  static const Json empty = Json::array();
  const Json* v = Field(object, key);
  if (!v) return empty;
  if (!v->is_array()) Refuse(Place(place, key), "must be a list");
  return *v;
}

const Json* Field(const Json& object, const char* key) {
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

int64_t ReadInteger(const Json& value, const std::string& place, int64_t low, int64_t high) {
  int64_t n = 0;
  if (value.is_number_integer()) {
    if (value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX)) {
      Refuse(place, "is too large");
    }
    n = value.get<int64_t>();
  } else if (value.is_string()) {
    const std::string& s = value.get_ref<const std::string&>();
    char* end = nullptr;
    bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    n = hex ? static_cast<int64_t>(std::strtoull(s.c_str() + 2, &end, 16)) : 0;
    if (!hex || *end != '\0') Refuse(place, "must be a number or a \"0x...\" text");
  } else {
    Refuse(place, "must be an integer");
  }
  if (n < low || n > high) {
    Refuse(place, "must be from " + std::to_string(low) + " to " + std::to_string(high));
  }
  return n;
}

int64_t ReadInteger(const Json& object, const char* key, const std::string& place, int64_t low,
                    int64_t high, int64_t fallback) {
  const Json* v = Field(object, key);
  return v ? ReadInteger(*v, Place(place, key), low, high) : fallback;
}

int64_t ReadSeconds(const Json& value, const std::string& place, int64_t high) {
  if (!value.is_number()) Refuse(place, "must be a number of seconds");
  double s = value.get<double>();
  if (!(s >= 0) || s > static_cast<double>(high)) {
    Refuse(place, "must be from 0 to " + std::to_string(high) + " seconds");
  }
  return static_cast<int64_t>(std::llround(s * 1000));
}

bool ReadBool(const Json& object, const char* key, const std::string& place, bool fallback) {
  const Json* v = Field(object, key);
  if (!v) return fallback;
  if (!v->is_boolean()) Refuse(Place(place, key), "must be true or false");
  return v->get<bool>();
}

std::string ReadText(const Json& value, const std::string& place, std::size_t maxLength) {
  if (!value.is_string()) Refuse(place, "must be a text");
  const std::string& utf8 = value.get_ref<const std::string&>();
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      // The parser has checked the encoding: a two-byte sequence of U+0080 to U+00FF.
      bytes +=
          static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      Refuse(place, "has a character beyond U+00FF, which the controller cannot hold");
    }
  }
  if (bytes.size() > maxLength) {
    Refuse(place, "is longer than " + std::to_string(maxLength) + " characters");
  }
  if (bytes.find('\0') != std::string::npos) Refuse(place, "must not contain a NUL character");
  return bytes;
}

std::string TextToJson(const std::string& bytes) {
  std::string utf8;
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      utf8 += ch;
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

int64_t ReadName(const Json& value, const std::string& place,
                 std::initializer_list<const char*> names, int64_t low, int64_t high) {
  if (value.is_string()) {
    int64_t i = 0;
    for (const char* n : names) {
      if (value.get_ref<const std::string&>() == n) return i;
      ++i;
    }
  } else if (low <= high && value.is_number_integer()) {
    return ReadInteger(value, place, low, high);
  }
  std::string list;
  for (const char* n : names) list += std::string(list.empty() ? "" : ", ") + "\"" + n + "\"";
  Refuse(place, "must be one of " + list + (low <= high ? " or a code" : ""));
}

}  // namespace swkv::sim
