#include "tests/support/replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/support/files.h"
#include "tests/support/text_difference.h"

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

// The session as it runs now: the file's commands, comments and blank lines, each command
// followed by what run gave for it (each line with its line end).
std::string ReplayCommands(const std::string& text,
                           const std::function<std::string(const std::string&)>& run) {
  std::istringstream in(text);
  std::string out;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("> ")) {
      out += line + "\n" + run(line.substr(2));
    } else if (line.empty() || line.starts_with("#")) {
      out += line + "\n";
    }
  }
  return out;
}

}  // namespace

void CheckSession(const std::string& path,
                  const std::function<std::string(const std::string&)>& run) {
  const std::string expected = ReadText(path);
  ASSERT_NE(expected.find("\n> "), std::string::npos) << path << " holds no command";
  CheckReplayed(path, ReplayCommands(expected, run));
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
