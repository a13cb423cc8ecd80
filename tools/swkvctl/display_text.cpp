#include "tools/swkvctl/display_text.h"

#include <cstdio>

namespace swkv::ctl {

namespace {

void AppendEscaped(std::string& out, std::string_view text, bool pathStep) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    char escaped[8];
    if (pathStep && (c == '\\' || c == '/')) {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == 0x1B) {
      out += "\\e";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else if (c == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      // U+0080 to U+009F in UTF-8: the C1 controls, which some terminals obey too.
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned char>(text[++i]));
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The number of count hex digits at text[at], or -1.
int HexAt(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const int digit = HexDigit(text[at + k]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

}  // namespace

std::string DisplayText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text, false);
  return out;
}

std::string PathStep(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  AppendEscaped(out, name, true);
  return out;
}

std::string NameOfStep(std::string_view step) {
  std::string name;
  for (std::size_t i = 0; i < step.size(); ++i) {
    if (step[i] != '\\' || i + 1 == step.size()) {
      name += step[i];
      continue;
    }
    const char next = step[i + 1];
    int code = -1;
    if (next == 'x' && (code = HexAt(step, i + 2, 2)) >= 0) {
      name += static_cast<char>(code);
      i += 3;
    } else if (next == 'u' && (code = HexAt(step, i + 2, 4)) >= 0x80 && code < 0xA0) {
      name += static_cast<char>(0xC2);
      name += static_cast<char>(code);
      i += 5;
    } else if (next == '\\' || next == '/' || next == 'e' || next == 'n' || next == 'r' ||
               next == 't') {
      name += next == 'e' ? '\x1B' : next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t'
                                                                                          : next;
      ++i;
    } else {
      name += '\\';
    }
  }
  return name;
}

std::size_t StepEnd(std::string_view path, std::size_t start) {
  for (std::size_t i = start; i < path.size(); ++i) {
    if (path[i] == '\\' && i + 1 < path.size())
      ++i;
    else if (path[i] == '/')
      return i;
  }
  return path.size();
}

}  // namespace swkv::ctl
