#include "tools/swkvctl/text.h"

#include <vector>

namespace swkv::ctl {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point of a valid UTF-8 sequence at text[i], advancing i; 0xFFFFFFFF when the byte at i
// does not start one (i is then not moved).
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  if (lead < 0xC2 || lead >= 0xF5) return 0xFFFFFFFF;
  std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  if (i + extra >= text.size()) return 0xFFFFFFFF;
  char32_t c = lead & (0x3F >> extra);
  for (std::size_t k = 1; k <= extra; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0xFFFFFFFF;
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms and surrogates are not valid UTF-8.
  if ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c < 0xE000))) || (extra == 3 && c < 0x10000) ||
      c > 0x10FFFF)
    return 0xFFFFFFFF;
  i += extra + 1;
  return c;
}

}  // namespace

std::string Utf8FromWide(const OLECHAR* text, std::size_t length) {
  std::string out;
  if (!text) return out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    char32_t c = static_cast<char16_t>(text[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < length &&
        static_cast<char16_t>(text[i + 1]) >= 0xDC00 &&
        static_cast<char16_t>(text[i + 1]) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string Utf8FromWide(const OLECHAR* text) {
  if (!text) return {};
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return Utf8FromWide(text, length);
}

UniqueBstr BstrFromUtf8(std::string_view text) {
  std::vector<OLECHAR> wide;
  wide.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      char32_t decoded = DecodeUtf8(text, i);
      if (decoded == 0xFFFFFFFF) {
        ++i;  // a stray byte stands for itself
      } else {
        c = decoded;
      }
    } else {
      ++i;
    }
    if (c >= 0x10000) {
      wide.push_back(static_cast<OLECHAR>(0xD800 + ((c - 0x10000) >> 10)));
      wide.push_back(static_cast<OLECHAR>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      wide.push_back(static_cast<OLECHAR>(c));
    }
  }
  return UniqueBstr(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

}  // namespace swkv::ctl
