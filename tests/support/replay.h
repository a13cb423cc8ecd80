// Sessions kept as text: a file of commands ("> " and the command), each followed by what it
// gave, with comment ("#") and blank lines between. A test runs the commands again and the
// file must come out the same, line for line. With SWKV_UPDATE_TRANSCRIPTS=1 a session that
// differs is written back: review the difference before committing it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace swkv::test {

// Handles ("NUMBER;KIND") as a session shows them: "hN;KIND", N counting the handles the session
// has shown, since their numbers run on through the process.
class HandleOrdinals {
 public:
  // The text with its handle number replaced; a text without ';' as it is.
  std::string Shown(const std::string& text) {
    const std::size_t semicolon = text.find(';');
    if (semicolon == std::string::npos) return text;
    int& ordinal = m_ordinals[text.substr(0, semicolon)];
    if (!ordinal) ordinal = static_cast<int>(m_ordinals.size());
    return "h" + std::to_string(ordinal) + text.substr(semicolon);
  }

 private:
  std::map<std::string, int> m_ordinals;
};

// A command line's words, split at blanks; a word in double quotes may hold blanks (the quotes
// go).
std::vector<std::string> SplitWords(const std::string& line);

// Every occurrence of from in text written as to.
std::string Replaced(std::string text, const std::string& from, const std::string& to);

// The names (without ".txt") of the sessions in folder, sorted.
std::vector<std::string> SessionNames(const std::string& folder);

// Fails the test where actual, the session file at path as it runs now, differs from the file;
// with SWKV_UPDATE_TRANSCRIPTS=1 writes actual into the file instead.
void CheckReplayed(const std::string& path, const std::string& actual);

// Replays the session file at path with run and fails the test where its output differs.
void CheckSession(const std::string& path,
                  const std::function<std::string(const std::string&)>& run);

// Whether a session of this name is skipped here: those named posix_* use what only our POSIX
// platform layer has.
bool SkippedHere(const std::string& name);

}  // namespace swkv::test

// The test of a session runner: each session in FOLDER (an expression giving the path) replayed
// by a fresh SESSION (a class whose std::string Run(const std::string&) runs one command), as
// SUITE.ReplaysTheSession/NAME.
#define SWKV_SESSION_TESTS(SUITE, SESSION, FOLDER)                                             \
  class SUITE : public ::testing::TestWithParam<std::string> {};                               \
  TEST_P(SUITE, ReplaysTheSession) {                                                           \
    if (::swkv::test::SkippedHere(GetParam())) GTEST_SKIP() << "only our POSIX layer has this"; \
    SESSION session;                                                                           \
    ::swkv::test::CheckSession(std::string(FOLDER) + "/" + GetParam() + ".txt",                \
                               [&](const std::string& line) { return session.Run(line); });    \
  }                                                                                            \
  INSTANTIATE_TEST_SUITE_P(Sessions, SUITE,                                                    \
                           ::testing::ValuesIn(::swkv::test::SessionNames(FOLDER)),            \
                           [](const auto& test) { return test.param; })
