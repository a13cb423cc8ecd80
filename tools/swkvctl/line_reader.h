// Where the shell's lines come from: a terminal with line editing, history and completion, or any
// other input read line by line.
#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace swkv::ctl {

class LineReader {
 public:
  // Candidates for the word being completed, given the words before it on the line.
  using Completer = std::function<std::vector<std::string>(const std::vector<std::string>& before,
                                                           const std::string& word)>;

  virtual ~LineReader() = default;
  // False at the end of the input.
  virtual bool ReadLine(const std::string& prompt, std::string& line) = 0;
};

// Reads lines from in; prompts go to out when prompt is set (a terminal without line editing).
std::unique_ptr<LineReader> MakePlainReader(std::istream& in, std::ostream& out, bool prompt);
// Line editing on the terminal, with history kept in historyFile (none when empty) and tab
// completion; null when this build has no line-editing library.
std::unique_ptr<LineReader> MakeEditingReader(const std::string& historyFile,
                                              LineReader::Completer completer);

}  // namespace swkv::ctl
