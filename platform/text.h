// Bounded text conversion between the component's single-byte text and the wide text of the COM
// interfaces. Short texts stay on the stack: converting a name or value under 256 characters
// does not touch the heap.
#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#include "platform/win.h"

namespace swkv {

// Single-byte copy of a wide text (a BSTR's whole length, embedded zeros included).
class AnsiText {
 public:
  explicit AnsiText(BSTR text) : AnsiText(text, SysStringLen(text)) {}
  AnsiText(const OLECHAR* text, std::size_t length) {
    if (!text || length == 0) return;
    if (length > 0x3FFFFFFF) length = 0x3FFFFFFF;
    const int count = static_cast<int>(length);
    int needed = WideCharToMultiByte(CP_ACP, 0, text, count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return;
    char* target = m_small.data();
    if (static_cast<std::size_t>(needed) >= m_small.size()) {
      m_large.reset(new (std::nothrow) char[static_cast<std::size_t>(needed) + 1]);
      if (!m_large) return;
      target = m_large.get();
    }
    int written = WideCharToMultiByte(CP_ACP, 0, text, count, target, needed, nullptr, nullptr);
    if (written <= 0) return;
    target[written] = '\0';
    m_data = target;
    m_size = static_cast<std::size_t>(written);
  }
  AnsiText(const AnsiText&) = delete;
  AnsiText& operator=(const AnsiText&) = delete;

  std::string_view view() const { return {m_data, m_size}; }
  // Zero-terminated; a text with embedded zeros reads as its first part.
  const char* c_str() const { return m_data; }

 private:
  std::array<char, 256> m_small{};
  std::unique_ptr<char[]> m_large;
  const char* m_data = m_small.data();
  std::size_t m_size = 0;
};

// Copies single-byte text as wide text into a buffer of capacity characters plus a terminator.
// A text longer than the buffer is cut to fit; the result is always terminated. Returns the
// number of characters written before the terminator.
inline std::size_t CopyToWideBuffer(std::string_view text, OLECHAR* buffer, std::size_t capacity) {
  if (!buffer) return 0;
  std::size_t written = 0;
  if (!text.empty() && capacity > 0) {
    const int cap = static_cast<int>(std::min<std::size_t>(capacity, 0x3FFFFFFF));
    int bytes = static_cast<int>(std::min<std::size_t>(text.size(), 0x3FFFFFFF));
    int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    // Every byte gives at most one wide character, so a prefix of cap bytes always fits.
    if (needed > cap) bytes = std::min(bytes, cap);
    int done = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, buffer, cap);
    if (done > 0) written = static_cast<std::size_t>(done);
  }
  buffer[written] = 0;
  return written;
}

// Copies into a BSTR buffer the caller allocated, never past its length.
inline std::size_t CopyToBstrBuffer(std::string_view text, BSTR buffer) {
  return CopyToWideBuffer(text, buffer, SysStringLen(buffer));
}

}  // namespace swkv
