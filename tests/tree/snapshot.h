// Whole subtrees as the agent lists them, compared with expected texts in tests/tree/expected/.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "tests/support/agent.h"
#include "tests/support/files.h"
#include "tests/support/text_difference.h"

namespace swkv::test {

// Every entry of the node and, below each link, of its child, indented two spaces a level.
// Handle numbers are shown as "#n" in the order the walk first meets them; a node met again
// shows only its number.
class TreeWalk {
 public:
  std::string operator()(IRiver* node) {
    m_text.clear();
    Visit(node, 0);
    return m_text;
  }

 private:
  std::string Number(const std::string& handle) {
    const std::string address = handle.substr(0, handle.find(';'));
    auto [it, added] = m_numbers.emplace(address, static_cast<int>(m_numbers.size()) + 1);
    return "#" + std::to_string(it->second) + handle.substr(address.size());
  }
  void Visit(IRiver* node, int depth) {
    for (const std::string& entry : Dir(node)) {
      const std::size_t at = entry.find('@');
      const std::string name = entry.substr(0, at);
      std::string text = entry;
      if (name == "handle") text = "handle@pr-@" + Number(entry.substr(entry.rfind('@') + 1));
      m_text += std::string(2 * depth, ' ') + text;
      if (entry.compare(at, 5, "@o--@") != 0) {
        m_text += '\n';
        continue;
      }
      ComPtr<IRiver> child = Cd(node, name);
      const std::string handle = child ? Get(child.get(), "handle") : "(no node)";
      if (child && !m_numbers.contains(handle.substr(0, handle.find(';')))) {
        m_text += '\n';
        Visit(child.get(), depth + 1);
      } else {
        m_text += " = " + (child ? Number(handle) : handle) + '\n';
      }
    }
  }
  std::map<std::string, int> m_numbers;
  std::string m_text;
};

// Compares text with tests/tree/expected/<name>.txt; on a mismatch names the first line that
// differs and leaves the actual text beside the test's temporary files.
inline void ExpectText(const std::string& name, const std::string& actual) {
  const std::string expected = ReadText(std::string(SWKV_TREE_DIR) + "/expected/" + name + ".txt");
  if (expected == actual) return;
  const std::string saved = ::testing::TempDir() + name + ".actual.txt";
  WriteText(saved, actual);
  ADD_FAILURE() << name << ".txt differs at " << FirstDifference(expected, actual)
                << "\n(whole output in " << saved << ")";
}

}  // namespace swkv::test
