// Files read and written whole, and environment variables changed for a test.
#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace swkv::test {

// The file's bytes; empty when it cannot be read.
inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Replaces the file's bytes with text.
inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Sets or (with null) removes an environment variable where the program and the libraries it
// loads read it; GetEnv gives its value, none when it is not set.
void SetEnv(const char* name, const char* value);
std::optional<std::string> GetEnv(const char* name);
// This process's id, which names the temporary files it writes.
unsigned long ProcessId();

// Environment variables set for as long as it exists; each is put back as it was.
class ScopedEnv {
 public:
  ScopedEnv() = default;
  ~ScopedEnv() {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
      SetEnv(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void Set(const char* name, const char* value) {
    m_saved.emplace_back(name, GetEnv(name));
    SetEnv(name, value);
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace swkv::test
