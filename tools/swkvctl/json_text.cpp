#include "tools/swkvctl/json_text.h"

#include <cstdio>

namespace swkv::ctl {

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // DEL and the C1 controls (U+0080 to U+009F) are valid in JSON, but a terminal showing the
    // output may obey them: they are escaped too.
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0x7F || (byte == 0xC2 && i + 1 < text.size() &&
                         static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                         static_cast<unsigned char>(text[i + 1]) < 0xA0)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X",
                    byte == 0x7F ? 0x7Fu : static_cast<unsigned char>(text[++i]));
      out += escaped;
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

}  // namespace swkv::ctl
