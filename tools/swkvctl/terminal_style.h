// How swkvctl's text output suits where it goes. On a terminal, states are coloured (failed and
// critical red; degraded and rebuilding yellow) and the brief tree is cut to the terminal's
// width; in a pipe or a file, text is plain and whole, as scripts expect. NO_COLOR (set and not
// empty) turns colour off; --color=always|never decides instead of the terminal.
#pragma once

#include <cstddef>
#include <string>

namespace swkv::ctl {

class TerminalStyle {
 public:
  // Plain and whole: what a pipe gets.
  TerminalStyle() = default;
  // For standard output, with the --color choice: "auto", "always" or "never".
  static TerminalStyle ForStandardOutput(const std::string& colorChoice);

  bool color() const { return m_color; }
  // The columns a line may take; 0 for no limit.
  std::size_t width() const { return m_width; }

  // The text (a state as swkvctl words it, possibly padded after it) with its state's colour.
  std::string Paint(const std::string& state, const std::string& text) const;
  // The line cut to the width (counted in characters), its last shown character a '>' that says
  // more was cut; unchanged when it fits or there is no limit.
  std::string Fit(const std::string& line) const;

 private:
  bool m_color = false;
  std::size_t m_width = 0;
};

}  // namespace swkv::ctl
