#include "tools/swkvctl/terminal_style.h"

#include <cstdlib>

#include "tools/swkvctl/host_system.h"

namespace swkv::ctl {

namespace {

constexpr const char* kRed = "\x1b[31m";
constexpr const char* kYellow = "\x1b[33m";
constexpr const char* kReset = "\x1b[0m";

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

TerminalStyle TerminalStyle::ForStandardOutput(const std::string& colorChoice) {
  TerminalStyle style;
  style.m_width = StandardOutputColumns();
  const char* noColor = std::getenv("NO_COLOR");
  style.m_color = colorChoice == "always" ||
                  (colorChoice != "never" && style.m_width > 0 && !(noColor && noColor[0]));
  return style;
}

std::string TerminalStyle::Paint(const std::string& state, const std::string& text) const {
  if (!m_color || state.empty()) return text;
  const char* colour = nullptr;
  if (state.find("failed") != std::string::npos || StartsWith(state, "critical") ||
      StartsWith(state, "down"))
    colour = kRed;
  else if (StartsWith(state, "degraded") || StartsWith(state, "rebuilding") ||
           StartsWith(state, "being rebuilt") || StartsWith(state, "to be rebuilt"))
    colour = kYellow;
  if (!colour) return text;
  // Only the state is coloured; padding after it stays plain.
  const std::size_t length = text.rfind(state, 0) == 0 ? state.size() : text.size();
  return colour + text.substr(0, length) + kReset + text.substr(length);
}

std::string TerminalStyle::Fit(const std::string& line) const {
  if (m_width == 0) return line;
  std::size_t columns = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    // A character starts at every byte that is not a UTF-8 continuation byte.
    if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
    if (++columns == m_width) {
      std::size_t end = i + 1;
      while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) ++end;
      if (end >= line.size()) return line;
      return line.substr(0, i) + ">";
    }
  }
  return line;
}

}  // namespace swkv::ctl
