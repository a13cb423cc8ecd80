#include "tests/support/replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/support/files.h"

namespace swkv::test {

bool SkippedHere([[maybe_unused]] const std::string& name) {
#ifdef _WIN32
  return name.starts_with("posix_");
#else
  return false;
#endif
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos;
       at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

std::vector<std::string> SplitWords(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) {
    if (word.starts_with('"'))
      for (std::string more; !(word.size() > 1 && word.ends_with('"')) && in >> more;)
        word += " " + more;
    words.push_back(word.starts_with('"') ? word.substr(1, word.size() - 2) : word);
  }
  return words;
}

std::vector<std::string> SessionNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

// "line N:\n  expected: ...\n  actual:   ..." for the first line that differs; a text that ends
// first shows "(end)" there.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::istringstream want(expected), got(actual);
  std::string a, b;
  for (int line = 1;; ++line) {
    const bool wantMore = static_cast<bool>(std::getline(want, a));
    if (!wantMore) a = "(end)";
    if (!std::getline(got, b)) b = "(end)";
    if (a != b || !wantMore)
      return "line " + std::to_string(line) + ":\n  expected: " + a + "\n  actual:   " + b;
  }
}

}  // namespace

// The session as it runs now: the file's commands, comments and blank lines, each command
// followed by what run gave for it (each line with its line end).
void CheckSession(const std::string& path,
                  const std::function<std::string(const std::string&)>& run) {
  const std::string expected = ReadText(path);
  ASSERT_NE(expected.find("\n> "), std::string::npos) << path << " holds no command";
  std::istringstream in(expected);
  std::string out;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("> "))
      out += line + "\n" + run(line.substr(2));
    else if (line.empty() || line.starts_with("#"))
      out += line + "\n";
  }
  CheckReplayed(path, out);
}

void CheckReplayed(const std::string& path, const std::string& actual) {
  const std::string expected = ReadText(path);
  if (actual == expected) return;
  if (GetEnv("SWKV_UPDATE_TRANSCRIPTS")) {
    WriteText(path, actual);
    ADD_FAILURE() << path << " written again from the session's output";
    return;
  }
  ADD_FAILURE() << path << " differs at " << FirstDifference(expected, actual)
                << "\n(SWKV_UPDATE_TRANSCRIPTS=1 writes the output into the file)";
}

}  // namespace swkv::test
