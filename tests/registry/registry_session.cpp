// Registry sessions replayed: each file in sessions/ is a list of registry calls (the commands
// below), each followed by what it gave, and runs in a registry sandbox of its own. They run
// against our own registry on POSIX and against the system's on Windows, so they show that both
// answer alike; the files in posix_sessions/ also use what only our POSIX registry has.
//
// A KEY is a base (HKLM, HKCR or a handle named by "NAME = open|create") and an optional subkey
// after a backslash: "HKLM" alone passes no subkey, "HKLM\" an empty one. A word may be quoted
// ("a b"); %XX is the byte XX; "-" is a null name; {TEXT*N} is TEXT N times, {bytes} every byte
// from 0 to 255, {pairs:N} the settings text P0=0;...;P<N-1>=0;. Data is shown the same way.
//   [NAME =] open KEY [RIGHTS]      RegOpenKeyEx (RIGHTS: read, write, all, max, query, set,
//                                   create, enum, delete, or a number, joined by |)
//   [NAME =] create KEY [RIGHTS]    RegCreateKeyEx: whether it created the key
//   close NAME|HKLM                 RegCloseKey
//   set KEY VALUE TYPE DATA         RegSetValueEx: TYPE sz (DATA and a terminator), bare-sz,
//                                   binary (DATA as given) or dword (a number); a KEY with a
//                                   subkey is created first (other commands open it: for
//                                   delete-value with all rights, else for reading)
//   query KEY VALUE [SIZE]          RegQueryValueEx into SIZE bytes (none: the size asked)
//   keys KEY / values KEY           every subkey / value, enumerated from index 0 on
//   enum-key KEY INDEX SIZE         one RegEnumKeyEx, name buffer of SIZE, class buffer of 8
//   enum-value KEY INDEX SIZE [DATASIZE]
//   info KEY                        RegQueryInfoKey
//   delete-value KEY VALUE / delete-key KEY / delete-tree KEY
//   read-only HIVE\PATH             the key may only be read from now on (its ACL on Windows)
//   family [nt|9x]                  the system family the settings store works for (shown)
//   family-of VERSION|system        the family of a version word, or of GetVersion's
//   store NAME VALUE                StoreAdapterSetting: stored or refused
//   parse-key TEXT / export TEXT / list TEXT [VALUE]   swkvreg's key names, export and query
// Only in posix_sessions/ ("$ROOT" is the registry root; what a command writes to stderr is
// shown after it):
//   child COMMAND                   the command run in a child process
//   writers N M KEY                 N processes at once, each setting M values and creating M
//                                   subkeys of KEY
//   file FILE / write-file FILE TEXT / files      a file of the root (<XX>: a byte that is not
//                                   plain text), or the names in the root
//   hold FILE / held FILE           a file opened, then what reading it shows and whether FILE
//                                   is still that file
//   lock-and-die HIVE               a process takes the hive's lock and is killed
//   env NAME VALUE|-                an environment variable set or removed for the session
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win.h"
#include "settings/adapter_settings_store.h"
#include "settings/system_family.h"
#include "tests/support/files.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/replay.h"
#include "tools/swkvreg/registry_view.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/file_io.h"
#endif

namespace swkv::test {
namespace {

using Word = std::optional<std::string>;  // none: "-", a null name

struct Usage {
  std::string text;
};

std::string Status(LONG status) {
  static const std::map<LONG, const char*> names = {
#define SWKV_NAME(code) {code, #code}
      SWKV_NAME(ERROR_SUCCESS),       SWKV_NAME(ERROR_FILE_NOT_FOUND),
      SWKV_NAME(ERROR_ACCESS_DENIED), SWKV_NAME(ERROR_INVALID_HANDLE),
      SWKV_NAME(ERROR_BAD_PATHNAME),  SWKV_NAME(ERROR_INVALID_PARAMETER),
      SWKV_NAME(ERROR_MORE_DATA),     SWKV_NAME(ERROR_NO_MORE_ITEMS),
      SWKV_NAME(ERROR_NOACCESS),      SWKV_NAME(ERROR_BADDB),
      SWKV_NAME(ERROR_KEY_DELETED),   SWKV_NAME(ERROR_CANTWRITE),
#undef SWKV_NAME
  };
  auto it = names.find(status);
  return it != names.end() ? it->second : std::to_string(status);
}

std::string Type(DWORD type) {
  const char* names[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD"};
  return type < 5 ? names[type] : std::to_string(type);
}

// Bytes as a session shows them: quoted, %XX for what is not plain text, long runs shortened.
std::string Show(const std::string& bytes) {
  std::string out = "\"";
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t run = bytes.find_first_not_of(bytes[i], i);
    run = (run == std::string::npos ? bytes.size() : run) - i;
    auto c = static_cast<unsigned char>(bytes[i]);
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    std::string one = c < 0x20 || c > 0x7E || c == '"' || c == '%' ? std::string(hex) : std::string(1, c);
    if (run >= 16) {
      out += "{" + one + "*" + std::to_string(run) + "}";
      i += run;
    } else {
      out += one;
      ++i;
    }
  }
  return out + "\"";
}

// The word's bytes: %XX decoded, {TEXT*N}, {bytes} and {pairs:N} expanded.
std::string Decode(const std::string& word) {
  std::string out;
  for (std::size_t i = 0; i < word.size(); ++i) {
    std::size_t close = word.find('}', i);
    std::string inner = close == std::string::npos ? "" : word.substr(i + 1, close - i - 1);
    std::size_t star = inner.rfind('*');
    if (word[i] == '%' && i + 2 < word.size() && std::isxdigit(word[i + 1]) &&
        std::isxdigit(word[i + 2])) {
      out += static_cast<char>(std::stoi(word.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else if (word[i] == '{' && inner == "bytes") {
      for (int c = 0; c < 256; ++c) out += static_cast<char>(c);
      i = close;
    } else if (word[i] == '{' && inner.starts_with("pairs:")) {
      for (int n = 0; n < std::stoi(inner.substr(6)); ++n) out += "P" + std::to_string(n) + "=0;";
      i = close;
    } else if (word[i] == '{' && star != std::string::npos && star + 1 < inner.size() &&
               inner.find_first_not_of("0123456789", star + 1) == std::string::npos) {
      std::string text = Decode(inner.substr(0, star));
      for (int n = std::stoi(inner.substr(star + 1)); n > 0; --n) out += text;
      i = close;
    } else {
      out += word[i];
    }
  }
  return out;
}

// The command's words: quoted words may hold spaces; "-" alone is none.
std::vector<Word> Split(const std::string& line) {
  std::vector<Word> words;
  for (std::size_t i = line.find_first_not_of(' '); i != std::string::npos;
       i = line.find_first_not_of(' ', i)) {
    bool quoted = line[i] == '"';
    std::size_t end = quoted ? line.find("\" ", i + 1) : line.find(' ', i);
    if (quoted && end == std::string::npos && line.back() == '"' && line.size() > i + 1)
      end = line.size() - 1;
    if (quoted && end == std::string::npos) throw Usage{"an unclosed quote"};
    std::string word = quoted ? line.substr(i + 1, end - i - 1) : line.substr(i, end - i);
    if (!quoted && word == "-") words.emplace_back();
    else words.emplace_back(Decode(word));
    i = end == std::string::npos ? end : end + (quoted ? 1 : 0);
  }
  return words;
}

REGSAM Rights(const std::string& text) {
  static const std::map<std::string, REGSAM> names = {
      {"read", KEY_READ},         {"write", KEY_WRITE},        {"all", KEY_ALL_ACCESS},
      {"max", MAXIMUM_ALLOWED},   {"query", KEY_QUERY_VALUE},  {"set", KEY_SET_VALUE},
      {"create", KEY_CREATE_SUB_KEY}, {"enum", KEY_ENUMERATE_SUB_KEYS}, {"delete", DELETE}};
  REGSAM rights = 0;
  std::istringstream in(text);
  for (std::string name; std::getline(in, name, '|');)
    rights |= names.contains(name) ? names.at(name) : static_cast<REGSAM>(std::stoul(name, nullptr, 0));
  return rights;
}

class RegistrySession {
 public:
  RegistrySession() : m_family(CurrentSystemFamily()) {}
  ~RegistrySession() {
    for (auto& [name, handle] : m_handles)
      if (handle.second) RegCloseKey(handle.first);
    OverrideSystemFamilyForTesting(m_family);
  }

  // The command's output, and what it wrote to stderr (on POSIX, where our registry reports).
  std::string Run(const std::string& line) {
#ifndef _WIN32
    testing::internal::CaptureStderr();
    std::string out = Execute(line);
    std::string errors = testing::internal::GetCapturedStderr();
    for (std::size_t at; (at = errors.find(m_sandbox.root())) != std::string::npos;)
      errors.replace(at, m_sandbox.root().size(), "$ROOT");
    std::istringstream lines(errors);
    for (std::string text; std::getline(lines, text);) out += "stderr: " + text + "\n";
    return out;
#else
    return Execute(line);
#endif
  }

 private:
  std::string Execute(const std::string& line) {
    try {
      // The text that write-file writes is taken as it is, quotes and all.
      std::size_t text = line.starts_with("write-file ") ? line.find(' ', 11) : std::string::npos;
      std::vector<Word> words = Split(line.substr(0, text));
      std::string name;
      if (words.size() > 2 && words[1] == "=") {
        name = words[0].value_or("");
        words.erase(words.begin(), words.begin() + 2);
      }
      if (words.empty() || !words[0]) throw Usage{"no command"};
      words.resize(words.size() + 4, std::string());  // absent arguments read as empty words
      return Do(name, words, line);
    } catch (const Usage& usage) {
      return "usage: " + usage.text + "\n";
    }
  }

  struct Key {
    HKEY base;
    std::string baseName;
    std::optional<std::string> sub;
    const char* subKey() const { return sub ? sub->c_str() : nullptr; }
  };

  Key Resolve(const Word& word) {
    if (!word || word->empty()) throw Usage{"a key is missing"};
    std::size_t slash = word->find('\\');
    Key key{nullptr, word->substr(0, slash), std::nullopt};
    if (slash != std::string::npos) key.sub = word->substr(slash + 1);
    if (key.baseName == "HKLM") key.base = HKEY_LOCAL_MACHINE;
    else if (key.baseName == "HKCR") key.base = HKEY_CLASSES_ROOT;
    else if (m_handles.contains(key.baseName)) key.base = m_handles[key.baseName].first;
    else throw Usage{"no key " + key.baseName};
    return key;
  }

  // The handle the command works on: the base itself, or its subkey opened (created for set).
  struct Open {
    HKEY handle = nullptr;
    bool own = false;
    ~Open() {
      if (own) RegCloseKey(handle);
    }
  };
  LONG OpenKey(const Word& word, Open& target, const std::string& command) {
    Key key = Resolve(word);
    if (!key.sub) {
      target.handle = key.base;
      return ERROR_SUCCESS;
    }
    target.own = true;
    if (command == "set")
      return RegCreateKeyExA(key.base, key.subKey(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &target.handle, nullptr);
    return RegOpenKeyExA(key.base, key.subKey(), 0,
                         command == "delete-value" ? KEY_ALL_ACCESS : KEY_READ, &target.handle);
  }

  std::string Data(DWORD type, const char* data, DWORD size) {
    return " " + Type(type) + " " + std::to_string(size) +
           (data ? " " + Show(std::string(data, size)) : std::string());
  }

  std::string Do(const std::string& name, const std::vector<Word>& w, const std::string& line) {
    auto text = [&](std::size_t i) { return w[i].value_or("-"); };
    const std::string command = text(0);
    auto number = [&](std::size_t i) { return std::stol(text(i), nullptr, 0); };
    auto value = [&](std::size_t i) { return w[i] ? w[i]->c_str() : nullptr; };
    Open target;
    if (command == "open" || command == "create") {
      Key key = Resolve(w[1]);
      HKEY handle = reinterpret_cast<HKEY>(&target);  // not a key: the call must set it
      DWORD disposition = 0;
      REGSAM rights = text(2).empty() ? (command == "open" ? KEY_READ : KEY_ALL_ACCESS) : Rights(text(2));
      LONG status = command == "open"
                        ? RegOpenKeyExA(key.base, key.subKey(), 0, rights, &handle)
                        : RegCreateKeyExA(key.base, key.subKey(), 0, nullptr, 0, rights, nullptr,
                                          &handle, &disposition);
      std::string out = Status(status);
      if (status != ERROR_SUCCESS) return out + (handle ? " handle left set\n" : "\n");
      if (command == "create")
        out += disposition == REG_CREATED_NEW_KEY ? " created" : " opened";
      if (handle == HKEY_LOCAL_MACHINE || handle == HKEY_CLASSES_ROOT) out += " the hive itself";
      if (name.empty()) RegCloseKey(handle);
      else {
        if (m_handles[name].second) RegCloseKey(m_handles[name].first);
        m_handles[name] = {handle, true};
      }
      return out + "\n";
    }
    if (command == "close") {
      Key key = Resolve(w[1]);
      if (m_handles.contains(key.baseName)) m_handles[key.baseName].second = false;
      return Status(RegCloseKey(key.base)) + "\n";
    }
    if (command == "read-only") {
      Key key = Resolve(w[1]);
      m_sandbox.MakeReadOnly(key.base, key.sub.value_or(""));
      return "";
    }
    if (command == "delete-key" || command == "delete-tree") {
      Key key = Resolve(w[1]);
      return Status(command == "delete-key" ? RegDeleteKeyA(key.base, key.subKey())
                                            : RegDeleteTreeA(key.base, key.subKey())) + "\n";
    }
    if (command == "family") {
      if (text(1) == "nt" || text(1) == "9x")
        OverrideSystemFamilyForTesting(text(1) == "nt" ? SystemFamily::kWindowsNt
                                                     : SystemFamily::kWindows9x);
      return CurrentSystemFamily() == SystemFamily::kWindowsNt ? "nt\n" : "9x\n";
    }
    if (command == "family-of") {
      DWORD version = text(1) == "system" ? GetVersion() : static_cast<DWORD>(std::stoul(text(1), nullptr, 0));
      return FamilyOfVersion(version) == SystemFamily::kWindowsNt ? "nt\n" : "9x\n";
    }
    if (command == "store")
      return StoreAdapterSetting(text(1), static_cast<std::int32_t>(number(2))) ? "stored\n" : "refused\n";
    if (command == "parse-key" || command == "export" || command == "list") {
      tools::KeyName key;
      if (!tools::ParseKeyName(text(1), key)) return "not a key name\n";
      std::ostringstream out;
      LONG status = ERROR_SUCCESS;
      if (command == "parse-key")
        out << key.Full() << (key.hive == HKEY_LOCAL_MACHINE ? " (HKLM)\n" : "\n");
      else if (command == "export") status = tools::ExportKey(key, out);
      else if (text(2).empty()) status = tools::QueryKey(key, out);
      else status = tools::QueryValue(key, text(2), out);
      std::string shown;
      std::istringstream lines(out.str());
      for (std::string row; std::getline(lines, row);) shown += "|" + (row.empty() ? "" : " " + row) + "\n";
      return shown + (status == ERROR_SUCCESS ? "" : Status(status) + "\n");
    }
#ifndef _WIN32
    if (std::string out; Posix(command, w, line, out)) return out;
#endif
    // The rest work on one handle.
    if (LONG status = OpenKey(w[1], target, command); status != ERROR_SUCCESS)
      return Status(status) + " (the key)\n";
    if (command == "set") {
      std::string data = text(4);
      DWORD type = text(3) == "dword" ? REG_DWORD : text(3) == "binary" ? REG_BINARY : REG_SZ;
      if (text(3) == "sz") data.push_back('\0');
      if (text(3) == "dword") {
        auto n = static_cast<std::uint32_t>(number(4));
        data = std::string(reinterpret_cast<const char*>(&n), 4);
      }
      return Status(RegSetValueExA(target.handle, value(2), 0, type,
                                   reinterpret_cast<const BYTE*>(data.data()),
                                   static_cast<DWORD>(data.size()))) + "\n";
    }
    if (command == "query") {
      std::string buffer(text(3).empty() ? 0 : number(3), 'x');
      DWORD type = 0xFFFF, size = static_cast<DWORD>(buffer.size());
      LONG status = RegQueryValueExA(target.handle, value(2), nullptr, &type,
                                     text(3).empty() ? nullptr : reinterpret_cast<LPBYTE>(buffer.data()), &size);
      if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return Status(status) + "\n";
      return Status(status) + Data(type, status == ERROR_SUCCESS && !text(3).empty() ? buffer.data() : nullptr, size) + "\n";
    }
    if (command == "delete-value") return Status(RegDeleteValueA(target.handle, value(2))) + "\n";
    if (command == "info") {
      char keyClass[8] = "x";
      DWORD classLength = sizeof keyClass, subkeys = 99, longest = 99, maxClass = 99, values = 99,
            longestName = 99, longestData = 99;
      LONG status = RegQueryInfoKeyA(target.handle, keyClass, &classLength, nullptr, &subkeys,
                                     &longest, &maxClass, &values, &longestName, &longestData,
                                     nullptr, nullptr);
      if (status != ERROR_SUCCESS) return Status(status) + "\n";
      std::ostringstream out;
      out << Status(status) << " class " << Show(keyClass) << " " << classLength << " max-class "
          << maxClass << " subkeys " << subkeys << " longest " << longest << " values " << values
          << " longest-name " << longestName << " longest-data " << longestData << "\n";
      return out.str();
    }
    if (command == "keys" || command == "values" || command == "enum-key" || command == "enum-value") {
      bool all = command == "keys" || command == "values";
      bool keys = command == "keys" || command == "enum-key";
      std::string out;
      for (DWORD index = all ? 0 : static_cast<DWORD>(number(2));; ++index) {
        std::string buffer(all ? 256 : number(3), 'x'), data(all ? 2048 : text(4).empty() ? 0 : number(4), 'x');
        char keyClass[8] = "x";
        DWORD length = static_cast<DWORD>(buffer.size()), classLength = sizeof keyClass, type = 0xFFFF,
              size = static_cast<DWORD>(data.size());
        LONG status = keys ? RegEnumKeyExA(target.handle, index, buffer.data(), &length, nullptr,
                                           keyClass, &classLength, nullptr)
                           : RegEnumValueA(target.handle, index, buffer.data(), &length, nullptr, &type,
                                           data.empty() ? nullptr : reinterpret_cast<LPBYTE>(data.data()), &size);
        if (status != ERROR_SUCCESS) return out + Status(status) + "\n";
        out += (all ? std::to_string(index) : Status(status)) + " " + Show(buffer.substr(0, length));
        if (length != std::strlen(buffer.c_str())) out += " length " + std::to_string(length);
        if (keys && (classLength != 0 || keyClass[0] != '\0')) out += " class " + Show(keyClass);
        if (!keys) out += Data(type, data.empty() ? nullptr : data.data(), size);
        out += "\n";
        if (!all) return out;
      }
    }
    throw Usage{"unknown command " + command};
  }

#ifndef _WIN32
  bool Posix(const std::string& command, const std::vector<Word>& w, const std::string& line,
             std::string& out) {
    auto text = [&](std::size_t i) { return w[i].value_or("-"); };
    auto path = [&](std::size_t i) {
      std::string file = w[i].value_or("");
      if (file.starts_with("$ROOT")) return m_sandbox.root() + file.substr(5);
      return m_sandbox.root() + "/" + file;
    };
    if (command == "child") {
      int pipe[2];
      if (::pipe(pipe) != 0) throw Usage{"no pipe"};
      std::string rest = line.substr(line.find("child") + 6);
      if (pid_t pid = ::fork(); pid == 0) {
        std::string shown = Execute(rest);
        (void)!::write(pipe[1], shown.data(), shown.size());
        ::_exit(0);
      } else {
        ::close(pipe[1]);
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) out.append(buffer, n);
        ::close(pipe[0]);
        ::waitpid(pid, nullptr, 0);
      }
    } else if (command == "writers") {
      // Every writer waits on the pipe, so that all of them start together when it is closed.
      int gate[2];
      if (::pipe(gate) != 0) throw Usage{"no pipe"};
      std::vector<pid_t> writers;
      for (long n = 0; n < std::stol(text(1)); ++n) {
        pid_t pid = ::fork();
        if (pid == 0) {
          ::close(gate[1]);
          char byte;
          (void)!::read(gate[0], &byte, 1);
          int failures = 0;
          for (long i = 0; i < std::stol(text(2)); ++i) {
            std::string value = "w" + std::to_string(n) + "v" + std::to_string(i);
            failures += Execute("set " + text(3) + " " + value + " sz " + value) != "ERROR_SUCCESS\n";
            failures += Execute("create " + text(3) + "\\" + value).find("created") == std::string::npos;
          }
          ::_exit(failures == 0 ? 0 : 1);
        }
        writers.push_back(pid);
      }
      ::close(gate[0]);
      ::close(gate[1]);
      int failed = 0;
      for (pid_t pid : writers) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        failed += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
      }
      out = std::to_string(failed) + " of " + text(1) + " writers failed\n";
    } else if (command == "file") {
      std::string bytes = ReadText(path(1));
      std::istringstream lines(bytes);
      for (std::string row; std::getline(lines, row);) {
        out += row.empty() ? "|" : "| ";
        for (unsigned char c : row) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "<%02X>", c);
          out += c < 0x20 || c > 0x7E ? std::string(hex) : std::string(1, static_cast<char>(c));
        }
        out += "\n";
      }
      if (!bytes.empty() && bytes.back() != '\n') out += "(no line end)\n";
    } else if (command == "write-file") {
      std::size_t at = line.find(' ', 11);
      WriteText(path(1), at == std::string::npos ? "" : Decode(line.substr(at + 1)));
    } else if (command == "files") {
      std::vector<std::string> names;
      for (const auto& entry : std::filesystem::directory_iterator(m_sandbox.root()))
        names.push_back(entry.path().filename().string());
      std::sort(names.begin(), names.end());
      for (const std::string& name : names) out += name + "\n";
    } else if (command == "exists") {
      out = std::filesystem::exists(path(1)) ? "yes\n" : "no\n";
    } else if (command == "hold") {
      m_held = ::open(path(1).c_str(), O_RDONLY);
      m_heldText = ReadText(path(1));
      ::fstat(m_held, &m_heldStat);
    } else if (command == "held") {
      std::string seen(m_heldText.size() + 64, '\0');
      seen.resize(std::max<ssize_t>(0, ::pread(m_held, seen.data(), seen.size(), 0)));
      struct stat now {};
      ::stat(path(1).c_str(), &now);
      ::close(m_held);
      out = std::string(seen == m_heldText ? "reads as before" : "reads otherwise") +
            (now.st_ino == m_heldStat.st_ino ? ", the same file\n" : ", another file now\n");
    } else if (command == "lock-and-die") {
      int ready[2];
      if (::pipe(ready) != 0) throw Usage{"no pipe"};
      pid_t holder = ::fork();
      if (holder == 0) {
        FileLock lock;
        std::string error;
        if (lock.Acquire(path(1), error)) (void)!::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
      }
      char byte = 0;
      out = ::read(ready[0], &byte, 1) == 1 ? "locked, killed\n" : "could not lock\n";
      ::kill(holder, SIGKILL);
      ::waitpid(holder, nullptr, 0);
      ::close(ready[0]);
      ::close(ready[1]);
    } else if (command == "env") {
      std::string value = w[2] ? path(2) : "";
      m_env.Set(w[1]->c_str(), w[2] ? (w[2]->starts_with("$ROOT") ? value.c_str() : w[2]->c_str()) : nullptr);
    } else {
      return false;
    }
    return true;
  }

  int m_held = -1;
  std::string m_heldText;
  struct stat m_heldStat {};
#endif

  RegistrySandbox m_sandbox;
  ScopedEnv m_env;  // after the sandbox: put back first
  SystemFamily m_family;
  std::map<std::string, std::pair<HKEY, bool>> m_handles;  // and whether each is still open
};

const std::string kFolder = std::string(SWKV_TESTS_DIR) + "/registry/";

std::vector<std::string> Sessions(const std::string& folder) {
  std::vector<std::string> names = SessionNames(kFolder + folder);
  for (std::string& name : names) name = folder + "/" + name;
  return names;
}

class RegistrySessionTest : public testing::TestWithParam<std::string> {};

TEST_P(RegistrySessionTest, ReplaysTheSession) {
  RegistrySession session;
  CheckSession(kFolder + GetParam() + ".txt",
               [&](const std::string& command) { return session.Run(command); });
}

std::string TestName(const testing::TestParamInfo<std::string>& test) {
  return test.param.substr(test.param.find('/') + 1);
}

INSTANTIATE_TEST_SUITE_P(Both, RegistrySessionTest, testing::ValuesIn(Sessions("sessions")), TestName);
#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(Posix, RegistrySessionTest, testing::ValuesIn(Sessions("posix_sessions")),
                         TestName);
#endif

}  // namespace
}  // namespace swkv::test
