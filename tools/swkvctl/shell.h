// swkvctl shell: the session's commands one line at a time, from a terminal (with line editing,
// history and completion of node and entry names) or from a script on standard input.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "tools/swkvctl/session.h"

namespace swkv::ctl {

// Splits a line into words: blanks separate, '...' and "..." quote, a backslash escapes the next
// character, and '#' at the start of a word begins a comment. False (with the reason) for an
// unterminated quote.
bool SplitLine(const std::string& line, std::vector<std::string>& words, std::string& why);

class Shell {
 public:
  Shell(Session& session, std::istream& in, std::ostream& out, std::ostream& err)
      : m_session(session), m_in(in), m_out(out), m_err(err) {}

  // Runs until the input ends or "exit". Returns 0 when every command succeeded, else the exit
  // code of the last command that failed. echo repeats each line read (with its prompt).
  int Run(bool echo);

  // Completion candidates for word (those that begin with it), given the words before it.
  std::vector<std::string> Complete(const std::vector<std::string>& before,
                                    const std::string& word);

 private:
  std::vector<std::string> Candidates(const std::vector<std::string>& before,
                                      const std::string& word);
  std::string Prompt() const;
  void Help();

  Session& m_session;
  std::istream& m_in;
  std::ostream& m_out;
  std::ostream& m_err;
};

}  // namespace swkv::ctl
