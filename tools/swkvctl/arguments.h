// A command's words after its name: options ("--json", "--seconds 5") anywhere, "--" ends them,
// and the rest in order.
#pragma once

#include <string>
#include <vector>

namespace swkv::ctl {

class Arguments {
 public:
  // words[0] is the command's name.
  explicit Arguments(const std::vector<std::string>& words);

  const std::string& command() const { return m_command; }
  // Takes a flag; true when it was given.
  bool Flag(const char* name);
  // Takes an option with a value; false when it was not given. Throws Failure (usage) when the
  // value is missing.
  bool Value(const char* name, std::string& value);
  // The words left, once every option the command knows was taken. Throws Failure (usage) for an
  // option the command does not know, or when the count is outside [least, most].
  const std::vector<std::string>& Positional(std::size_t least, std::size_t most,
                                             const char* usage);

 private:
  std::string m_command;
  std::vector<std::string> m_words;
  std::vector<bool> m_literal;  // after "--": never an option
};

}  // namespace swkv::ctl
