#include "tools/swkvctl/arguments.h"

#include "tools/swkvctl/failure.h"

namespace swkv::ctl {

namespace {

bool LooksLikeOption(const std::string& word) {
  return word.size() > 2 && word[0] == '-' && word[1] == '-';
}

}  // namespace

Arguments::Arguments(const std::vector<std::string>& words) {
  if (!words.empty()) m_command = words[0];
  bool literal = false;
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (!literal && words[i] == "--") {
      literal = true;
      continue;
    }
    m_words.push_back(words[i]);
    m_literal.push_back(literal);
  }
}

bool Arguments::Flag(const char* name) {
  for (std::size_t i = 0; i < m_words.size(); ++i) {
    if (m_literal[i] || m_words[i] != name) continue;
    m_words.erase(m_words.begin() + static_cast<std::ptrdiff_t>(i));
    m_literal.erase(m_literal.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
  }
  return false;
}

bool Arguments::Value(const char* name, std::string& value) {
  for (std::size_t i = 0; i < m_words.size(); ++i) {
    if (m_literal[i] || m_words[i] != name) continue;
    if (i + 1 >= m_words.size())
      throw Failure(kExitUsage, m_command + ": " + name + " needs a value");
    value = m_words[i + 1];
    m_words.erase(m_words.begin() + static_cast<std::ptrdiff_t>(i),
                  m_words.begin() + static_cast<std::ptrdiff_t>(i + 2));
    m_literal.erase(m_literal.begin() + static_cast<std::ptrdiff_t>(i),
                    m_literal.begin() + static_cast<std::ptrdiff_t>(i + 2));
    return true;
  }
  return false;
}

const std::vector<std::string>& Arguments::Positional(std::size_t least, std::size_t most,
                                                      const char* usage) {
  for (std::size_t i = 0; i < m_words.size(); ++i)
    if (!m_literal[i] && LooksLikeOption(m_words[i]))
      throw Failure(kExitUsage, m_command + ": unknown option " + m_words[i] + "; usage: " + usage);
  if (m_words.size() < least || m_words.size() > most)
    throw Failure(kExitUsage, m_command + ": " + (m_words.size() < least ? "too few" : "too many") +
                                  " arguments; usage: " + usage);
  return m_words;
}

}  // namespace swkv::ctl
