// Line editing, history and completion from the BSD editline library, through its readline
// interface.
#include <editline/readline.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/swkvctl/host_system.h"
#include "tools/swkvctl/line_reader.h"

namespace swkv::ctl {

namespace {

// The library calls plain functions; they reach the one reader through these.
LineReader::Completer* g_completer = nullptr;
std::vector<std::string> g_candidates;

std::vector<std::string> WordsBefore(int end) {
  std::vector<std::string> words;
  std::string line(rl_line_buffer ? rl_line_buffer : "", rl_line_buffer ? end : 0);
  std::string word;
  for (char c : line) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  return words;  // the word under completion is not complete, so it is left out
}

char* NextCandidate(const char*, int state) {
  static std::size_t next = 0;
  if (state == 0) next = 0;
  if (next >= g_candidates.size()) return nullptr;
  // The library frees what it is given with free().
  return strdup(g_candidates[next++].c_str());
}

char** Complete(const char* text, int start, int) {
  rl_attempted_completion_over = 1;
  g_candidates.clear();
  if (g_completer) {
    const std::string word = text ? text : "";
    for (std::string& candidate : (*g_completer)(WordsBefore(start), word)) {
      if (candidate.compare(0, word.size(), word) != 0) continue;
      // A name with blanks ("Block Size") goes in with them escaped, so that the line splits it
      // as one word.
      std::string quoted;
      for (char c : candidate) {
        if (c == ' ' || c == '\t' || c == '\\' || c == '\'' || c == '"') quoted += '\\';
        quoted += c;
      }
      g_candidates.push_back(std::move(quoted));
    }
  }
  if (g_candidates.empty()) return nullptr;
  return rl_completion_matches(text, NextCandidate);
}

class EditingReader final : public LineReader {
 public:
  EditingReader(std::string historyFile, Completer completer)
      : m_historyFile(std::move(historyFile)), m_completer(std::move(completer)) {
    g_completer = &m_completer;
    rl_readline_name = "swkvctl";
    // Paths are one word: only blanks separate words.
    static char breaks[] = " \t";
    rl_completer_word_break_characters = breaks;
    rl_attempted_completion_function = Complete;
    // A node's name is completed with its '/', ready for the next name.
    rl_completion_append_character = '\0';
    using_history();
    stifle_history(1000);
    if (!m_historyFile.empty()) read_history(m_historyFile.c_str());
  }

  ~EditingReader() override {
    if (!m_historyFile.empty()) write_history(m_historyFile.c_str());
    g_completer = nullptr;
  }

  bool ReadLine(const std::string& prompt, std::string& line) override {
    char* text = readline(prompt.c_str());
    // Ctrl-C at the prompt drops the line being typed, as a shell does; only the end of the
    // input (Ctrl-D) ends the session.
    while (!text && Interrupted()) {
      ClearInterrupt();
      std::fputs("\n", stdout);
      text = readline(prompt.c_str());
    }
    if (!text) return false;
    line = text;
    std::free(text);
    if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
    return true;
  }

 private:
  std::string m_historyFile;
  Completer m_completer;
};

}  // namespace

std::unique_ptr<LineReader> MakeEditingReader(const std::string& historyFile,
                                              LineReader::Completer completer) {
  return std::make_unique<EditingReader>(historyFile, std::move(completer));
}

}  // namespace swkv::ctl
