// Sessions kept as text: a file of commands ("> " and the command), each followed by what it
// gave, with comment ("#") and blank lines between. A test runs the commands again and the
// file must come out the same, line for line. With SWKV_UPDATE_TRANSCRIPTS=1 a session that
// differs is written back: review the difference before committing it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace swkv::test {

// The names (without ".txt") of the sessions in folder, sorted.
std::vector<std::string> SessionNames(const std::string& folder);

// The session as it runs now: the file's commands, comments and blank lines, each command
// followed by what run gave for it (each line with its line end).
std::string ReplayCommands(const std::string& text,
                           const std::function<std::string(const std::string&)>& run);

// Replays the session file at path with run and fails the test where its output differs.
void CheckSession(const std::string& path,
                  const std::function<std::string(const std::string&)>& run);

}  // namespace swkv::test
