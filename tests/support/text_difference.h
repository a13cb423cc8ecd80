// Where two multi-line texts part, for the message of a test that compares a whole output with
// an expected text.
#pragma once

#include <sstream>
#include <string>

namespace swkv::test {

// "line N:\n  expected: ...\n  actual:   ..." for the first line that differs; a text that ends
// first shows "(end)" there.
inline std::string FirstDifference(const std::string& expected, const std::string& actual) {
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

}  // namespace swkv::test
