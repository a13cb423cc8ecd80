// Registry sessions replayed: each file in sessions/ is a list of registry calls (the commands
// below), each followed by what it gave, and runs in a registry sandbox of its own. They run
// against our own registry on POSIX and against the system's on Windows, so they show that both
// answer alike; the sessions named posix_* also use what only our POSIX registry has.
//
// A KEY is a base (HKLM, HKCR or a handle named by "NAME = open|create") and an optional subkey
// after a backslash: "HKLM" alone passes no subkey, "HKLM\" an empty one. A word may be quoted
// ("a b"); "-" is a null name; %XX is the byte XX, {TEXT*N} TEXT N times (each # in it the count
// from 0), {bytes} every byte from 0 to 255. Data is shown the same way; a status by its name
// and, but for success, its number. A command the runner cannot read throws, failing the session.
//   [NAME =] open KEY [RIGHTS]      RegOpenKeyEx (RIGHTS: read, max, set or create)
//   [NAME =] create KEY [RIGHTS]    RegCreateKeyEx: whether it created the key
//   close NAME|HKLM                 RegCloseKey
//   set KEY VALUE TYPE DATA         RegSetValueEx: TYPE sz (DATA and a terminator), bare-sz,
//                                   binary (DATA as given) or dword (a number); DATA "- N": no
//                                   data but a size of N; a KEY with a subkey is created first
//                                   (other commands open it: for delete-value with all rights,
//                                   else for reading)
//   query KEY VALUE [SIZE]          RegQueryValueEx into SIZE bytes (none: the size asked)
//   values KEY [INDEX SIZE [DATASIZE]]   RegEnumValue from index 0 to the end, or at INDEX into
//                                   a name buffer of SIZE (and a data buffer of DATASIZE)
//   info KEY [no-room]              RegQueryInfoKey (no-room: the class buffer of 8 given a
//                                   room of 0, and also the security descriptor's size and the
//                                   last write time)
//   delete-value KEY VALUE / delete-key KEY / delete-tree KEY
//   read-only HIVE\PATH             the key may only be read from now on (its ACL on Windows)
//   family-9x                       the settings store works for the 9x family from now on
//   store NAME VALUE                StoreAdapterSetting: stored or refused
//   rewrite TYPE DATA NAME VALUE    the NT driver's text set as with set, NAME stored, the text
//                                   queried
//   export TEXT / list TEXT         swkvreg's export and query of the key named TEXT
// Only in posix_* sessions ("$ROOT" is the registry root; what a command writes to stderr is
// shown after it):
//   spawn N COMMAND...              N processes at once, each running COMMAND (each # in it the
//                                   process's number); how many failed (ERROR_SUCCESS or
//                                   stored is success)
//   spawn stopped COMMAND...        a process runs COMMAND, stopped inside its first hive write
//                                   (shown as "process $STOPPED" from then on); if it is still
//                                   stopped 20 s later it is killed, so a wait never hangs
//   continue                        the stopped process goes on; how it ended
//   hive TEXT                       local_machine.hive written with TEXT (as DATA), and HKLM\SYSTEM
//                                   opened
//   file FILE                       a file below the root (<XX>: a byte that is not plain text)
//   mutex NAME TEXT                 CreateMutexA of the name TEXT, kept as NAME
//   wait NAME MS [thread|process]   WaitForSingleObject here, in another thread (which then
//                                   releases what it got) or in another process (its own
//                                   handle of the same name); the test process shows as $SELF
//   release NAME / close-handle NAME   ReleaseMutex / CloseHandle
//   env NAME VALUE|-                an environment variable set or removed
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/reg_key.h"
#include "settings/adapter_settings_store.h"
#include "settings/system_family.h"
#include "tests/support/agent.h"
#include "tests/support/files.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/replay.h"
#include "tools/swkvreg/registry_view.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#endif

namespace swkv::test {
namespace {

using Word = std::optional<std::string>;  // none: "-", a null name

#ifndef _WIN32
// The process spawn stopped left stopped, for the alarm that ends it.
volatile pid_t g_stopped = 0;
extern "C" void KillStopped(int) {
  if (g_stopped > 0) ::kill(g_stopped, SIGKILL);
}
#endif

// A status as its name and, but for success, its number: the numbers are the system's, which
// the sessions run against on Windows.
std::string Status(LONG status) {
  const std::string number = status ? " (" + std::to_string(status) + ")" : "";
#define SWKV_CASE(code) case code: return #code + number;
  switch (status) {
    SWKV_CASE(ERROR_SUCCESS) SWKV_CASE(ERROR_FILE_NOT_FOUND) SWKV_CASE(ERROR_ACCESS_DENIED)
    SWKV_CASE(ERROR_INVALID_HANDLE) SWKV_CASE(ERROR_BAD_PATHNAME) SWKV_CASE(ERROR_MORE_DATA)
    SWKV_CASE(ERROR_INVALID_PARAMETER) SWKV_CASE(ERROR_NO_MORE_ITEMS) SWKV_CASE(ERROR_BADDB)
    SWKV_CASE(ERROR_KEY_DELETED) SWKV_CASE(ERROR_CANTWRITE) SWKV_CASE(ERROR_NOACCESS)
    SWKV_CASE(ERROR_INVALID_NAME) SWKV_CASE(ERROR_NOT_OWNER) SWKV_CASE(ERROR_PATH_NOT_FOUND)
  }
#undef SWKV_CASE
  return std::to_string(status);
}

// A byte as two hexadecimal digits (shown as %XX, or as <XX> in the lines of a file).
std::string Digits(char c) { return Hex(static_cast<unsigned char>(c), 2).substr(2); }

bool Plain(char c) { return c >= 0x20 && c <= 0x7E; }

// Bytes as a session shows them: quoted, %XX for what is not plain text, long runs shortened.
std::string Show(const std::string& bytes) {
  std::string out = "\"";
  for (std::size_t i = 0, run; i < bytes.size(); i += run) {
    run = std::min(bytes.find_first_not_of(bytes[i], i), bytes.size()) - i;
    char c = bytes[i];
    std::string one = Plain(c) && c != '"' && c != '%' ? std::string(1, c) : "%" + Digits(c);
    if (run >= 16) out += "{" + one + "*" + std::to_string(run) + "}";
    else out += one, run = 1;
  }
  return out + "\"";
}

// The word's bytes: %XX decoded; {TEXT*N} is TEXT N times, each # in it the count from 0
// ({P#=0;*2} is P0=0;P1=0;); {bytes} is every byte from 0 to 255.
std::string Decode(const std::string& word) {
  std::string out;
  for (std::size_t i = 0; i < word.size(); ++i) {
    std::size_t close = word.find('}', i), star = word.rfind('*', close);
    if (word.compare(i, 7, "{bytes}") == 0) {
      for (int c = 0; c < 256; ++c) out += static_cast<char>(c);
      i += 6;
    } else if (word[i] == '{' && close != word.npos && star != word.npos && star > i &&
               star + 1 < close && word.find_first_not_of("0123456789", star + 1) == close) {
      for (int n = 0; n < std::stoi(word.substr(star + 1)); ++n)
        out += Replaced(Decode(word.substr(i + 1, star - i - 1)), "#", std::to_string(n));
      i = close;
    } else if (word[i] == '%' && i + 2 < word.size() && std::isxdigit(word[i + 1]) &&
               std::isxdigit(word[i + 2])) {
      out += static_cast<char>(std::stoi(word.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += word[i];
    }
  }
  return out;
}

// The command's words, at least eight (the absent ones empty): a quoted word may hold spaces.
std::vector<Word> Split(std::string line) {
  std::vector<Word> words;
  line += ' ';
  for (std::size_t i = line.find_first_not_of(' '), end; i != line.npos;
       i = line.find_first_not_of(' ', end)) {
    bool quoted = line[i] == '"';
    end = quoted ? line.find("\" ", i + 1) : line.find(' ', i);
    if (end == line.npos) throw std::invalid_argument("an unclosed quote");
    std::string word = line.substr(i + quoted, end - i - quoted);
    words.push_back(!quoted && word == "-" ? Word() : Decode(word));
    end = std::min(end + quoted, line.size());
  }
  words.resize(std::max<std::size_t>(words.size(), 8), std::string());
  return words;
}

// Text shown line by line after "| " (<XX>: a byte that is not plain text).
std::string Lines(const std::string& text) {
  std::string out;
  std::istringstream lines(text);
  for (std::string row; std::getline(lines, row); out += "\n") {
    out += row.empty() ? "|" : "| ";
    // (std::string("<"): MinGW's GCC 12 at -O3 wrongly warns of an overlap for "<" + a temporary.)
    for (char c : row) out += Plain(c) ? std::string(1, c) : std::string("<") + Digits(c) + ">";
  }
  return out + (!text.empty() && text.back() != '\n' ? "(no line end)\n" : "");
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
#ifdef _WIN32
    return Execute(line);
#else
    testing::internal::CaptureStderr();
    std::string out = Execute(line), errors = testing::internal::GetCapturedStderr();
    errors = Replaced(errors, m_sandbox.root(), "$ROOT");
    errors = Replaced(errors, "process " + std::to_string(m_stopped), "process $STOPPED");
    errors = Replaced(errors, "process " + std::to_string(::getpid()), "process $SELF");
    std::istringstream lines(errors);
    for (std::string text; std::getline(lines, text);) out += "stderr: " + text + "\n";
    return out;
#endif
  }

 private:
  struct Key { HKEY base; std::string name; Word sub; };  // name: the base's

  std::string Execute(const std::string& line) {
    // What hive writes is taken as it is, quotes and all.
    std::vector<Word> w = Split(line.substr(0, line.starts_with("hive") ? 4 : line.npos));
    std::string name = w[1] == "=" ? w[0].value_or("") : "";
    if (!name.empty()) w.erase(w.begin(), w.begin() + 2);
    return Do(name, w, line);
  }

  Key Resolve(const Word& word) {
    if (!word || word->empty()) throw std::invalid_argument("a key is missing");
    std::size_t slash = word->find('\\');
    Key key{nullptr, word->substr(0, slash), std::nullopt};
    if (slash != word->npos) key.sub = word->substr(slash + 1);
    if (key.name == "HKLM") key.base = HKEY_LOCAL_MACHINE;
    else if (key.name == "HKCR") key.base = HKEY_CLASSES_ROOT;
    else if (m_handles.contains(key.name)) key.base = m_handles[key.name].first;
    else throw std::invalid_argument("no key " + key.name);
    return key;
  }

  std::string Do(const std::string& name, const std::vector<Word>& w,
                 [[maybe_unused]] const std::string& line) {
    auto text = [&](std::size_t i) { return w[i].value_or("-"); };
    auto size = [&](std::size_t i) { return static_cast<DWORD>(std::stoll(text(i), nullptr, 0)); };
    auto value = [&](std::size_t i) { return w[i] ? w[i]->c_str() : nullptr; };
    auto data = [&](DWORD type, const std::string* bytes, DWORD length) {
      const char* types[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD"};
      return " " + (type < 5 ? types[type] : std::to_string(type)) + " " + std::to_string(length) +
             (bytes ? " " + Show(bytes->substr(0, length)) : "") + "\n";
    };
    const std::string command = text(0);
    if (command == "family-9x")
      return OverrideSystemFamilyForTesting(SystemFamily::kWindows9x), "";
    if (command == "store")
      return StoreAdapterSetting(text(1), std::stoi(text(2))) ? "stored\n" : "refused\n";
    if (command == "rewrite") {
      const std::string device =
          "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Swiftbay\\Parameters\\Device";
      std::string out = Do({}, {"set", device, "DriverParameter", w[1], w[2], "", "", ""}, line);
      if (out == "ERROR_SUCCESS\n") out.clear();
      out += Do({}, {"store", w[3], w[4], "", "", "", "", ""}, line);
      return out + Do({}, {"query", device, "DriverParameter", "2048", "", "", "", ""}, line);
    }
    if (command == "export" || command == "list") {
      tools::KeyName view;
      if (!tools::ParseKeyName(text(1), view)) return "not a key name\n";
      std::ostringstream out;
      LONG status = command == "export" ? tools::ExportKey(view, out) : tools::QueryKey(view, out);
      return Lines(out.str()) + (status == ERROR_SUCCESS ? "" : Status(status) + "\n");
    }
#ifndef _WIN32
    if (std::string out; Posix(command, w, line, out)) return out;
#endif
    const Key key = Resolve(w[1]);
    const char* sub = key.sub ? key.sub->c_str() : nullptr;
    if (command == "open" || command == "create") {
      HKEY handle = reinterpret_cast<HKEY>(&m_handles);  // not a key: the call must set it
      DWORD disposition = 0;
      static const std::map<std::string, REGSAM> kRights = {{"read", KEY_READ},
                                                            {"max", MAXIMUM_ALLOWED},
                                                            {"set", KEY_SET_VALUE},
                                                            {"create", KEY_CREATE_SUB_KEY}};
      REGSAM rights = !text(2).empty() ? kRights.at(text(2)) : command == "open" ? KEY_READ
                                                                                  : KEY_ALL_ACCESS;
      LONG status = command == "open"
                        ? RegOpenKeyExA(key.base, sub, 0, rights, &handle)
                        : RegCreateKeyExA(key.base, sub, 0, nullptr, 0, rights, nullptr, &handle,
                                          &disposition);
      if (status != ERROR_SUCCESS) return Status(status) + (handle ? " handle left set\n" : "\n");
      // The dispositions' numbers are the system's (1 created, 2 opened).
      std::string out = Status(status) + (command == "open" ? ""
                                          : disposition == 1 ? " created"
                                          : disposition == 2 ? " opened" : " disposition ?");
      if (handle == HKEY_LOCAL_MACHINE || handle == HKEY_CLASSES_ROOT) out += " the hive itself";
      if (name.empty()) return RegCloseKey(handle), out + "\n";
      if (m_handles[name].second) RegCloseKey(m_handles[name].first);
      m_handles[name] = {handle, true};
      return out + "\n";
    }
    if (command == "close") {
      if (m_handles.contains(key.name)) m_handles[key.name].second = false;
      return Status(RegCloseKey(key.base)) + "\n";
    }
    if (command == "read-only") return m_sandbox.MakeReadOnly(key.base, key.sub.value_or("")), "";
    if (command == "delete-key") return Status(RegDeleteKeyA(key.base, sub)) + "\n";
    if (command == "delete-tree") return Status(RegDeleteTreeA(key.base, sub)) + "\n";
    // The rest work on one handle: the base, or its subkey opened for the command.
    UniqueHkey opened;
    if (LONG status = !sub ? ERROR_SUCCESS
                      : command == "set"
                          ? RegCreateKeyExA(key.base, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                            opened.put(), nullptr)
                          : RegOpenKeyExA(key.base, sub, 0,
                                          command == "delete-value" ? KEY_ALL_ACCESS : KEY_READ,
                                          opened.put());
        status != ERROR_SUCCESS)
      return Status(status) + " (the key)\n";
    HKEY target = sub ? opened.get() : key.base;
    if (command == "set") {
      std::string bytes = text(4) + (text(3) == "sz" ? std::string(1, '\0') : "");
      DWORD n = 0, type = text(3) == "dword"    ? REG_DWORD
                          : text(3) == "binary" ? REG_BINARY : REG_SZ;
      if (type == REG_DWORD) n = size(4), bytes.assign(reinterpret_cast<const char*>(&n), 4);
      // DATA "-": no data at all, of the size that follows.
      return Status(RegSetValueExA(target, value(2), 0, type,
                                   w[4] ? reinterpret_cast<const BYTE*>(bytes.data()) : nullptr,
                                   w[4] ? static_cast<DWORD>(bytes.size()) : size(5))) + "\n";
    }
    if (command == "delete-value") return Status(RegDeleteValueA(target, value(2))) + "\n";
    if (command == "query") {
      std::string buffer(text(3).empty() ? 0 : size(3), 'x');
      DWORD type = 0xFFFF, length = static_cast<DWORD>(buffer.size());
      auto* into = buffer.empty() ? nullptr : reinterpret_cast<LPBYTE>(buffer.data());
      LONG status = RegQueryValueExA(target, value(2), nullptr, &type, into, &length);
      if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return Status(status) + "\n";
      return Status(status) + data(type, status || buffer.empty() ? nullptr : &buffer, length);
    }
    if (command == "info") {
      char keyClass[8] = "x";
      DWORD n[10] = {text(2) == "no-room" ? 0 : DWORD{sizeof keyClass}, 99, 99, 99, 99, 99, 99, 99};
      FILETIME written{99, 99};
      LONG status = RegQueryInfoKeyA(target, keyClass, &n[0], nullptr, &n[1], &n[2], &n[3], &n[4],
                                     &n[5], &n[6], &n[7], &written);
      n[8] = written.dwLowDateTime, n[9] = written.dwHighDateTime;
      std::string out = Status(status) + (status ? "" : " class " + Show(keyClass));
      const char* labels[] = {"", "subkeys", "longest", "max-class", "values", "longest-name",
                              "longest-data", "security", "written-low", "written-high"};
      for (int i = 0; i < (text(2).empty() ? 7 : 10) && !status; ++i)
        out += labels[i] + (" " + std::to_string(n[i])) + " ";
      return out.substr(0, out.size() - !status) + "\n";
    }
    if (command == "values") {
      const bool all = text(2).empty();
      std::string out;
      for (DWORD index = all ? 0 : size(2);; ++index) {
        std::string found(all ? 256 : size(3), 'x');
        std::string bytes(all ? 2048 : text(4).empty() ? 0 : size(4), 'x');
        DWORD length = static_cast<DWORD>(found.size()), type = 0xFFFF,
              dataLength = static_cast<DWORD>(bytes.size());
        LONG status = RegEnumValueA(
            target, index, found.data(), &length, nullptr, &type,
            bytes.empty() ? nullptr : reinterpret_cast<LPBYTE>(bytes.data()), &dataLength);
        if (status != ERROR_SUCCESS) return out + Status(status) + "\n";
        out += (all ? std::to_string(index) : Status(status)) + " " + Show(found.substr(0, length));
        if (length != std::strlen(found.c_str())) out += " length " + std::to_string(length);
        out += data(type, bytes.empty() ? nullptr : &bytes, dataLength);
        if (!all) return out;
      }
    }
    throw std::invalid_argument("unknown command " + command);
  }

#ifndef _WIN32
  // Runs body in count child processes started at once; how many of them failed.
  template <class Body>
  static int FailedChildren(int count, Body body) {
    int gate[2], failed = 0;
    if (::pipe(gate) != 0) throw std::runtime_error("no pipe");
    std::vector<pid_t> children;
    for (int n = 0; n < count; ++n) {
      if (pid_t pid = ::fork(); pid == 0) {
        char byte;
        ::close(gate[1]);
        (void)!::read(gate[0], &byte, 1);  // until the parent closes the gate
        ::_exit(body(n) ? 0 : 1);
      } else {
        children.push_back(pid);
      }
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t pid : children) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      failed += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    return failed;
  }

  bool Posix(const std::string& command, const std::vector<Word>& w, const std::string& line,
             std::string& out) {
    auto text = [&](std::size_t i) { return w[i].value_or(""); };
    auto path = [&](std::size_t i) {
      return m_sandbox.root() + (text(i).starts_with("$ROOT") ? text(i).substr(5) : "/" + text(i));
    };
    if (command == "spawn") {
      // The processes run the rest of the line, each # in it their number.
      const std::string run = line.substr(line.find(' ', 6) + 1);
      auto succeeds = [&](int n) noexcept {  // a throw ends the process, as a failure
        const std::string got = Execute(Replaced(run, "#", std::to_string(n)));
        return got.starts_with("ERROR_SUCCESS") || got == "stored\n";
      };
      if (text(1) != "stopped") {
        int failed = FailedChildren(std::stoi(text(1)), succeeds);
        return out = std::to_string(failed) + " of " + text(1) + " failed\n", true;
      }
      if ((m_stopped = ::fork()) == 0) {
        ::setenv("SWKV_REGISTRY_STOP_IN_WRITE", "1", 1);
        ::_exit(succeeds(0) ? 0 : 1);
      }
      int status = 0;
      ::waitpid(m_stopped, &status, WUNTRACED);
      if (!WIFSTOPPED(status)) return out = "it did not stop\n", true;
      g_stopped = m_stopped;
      ::signal(SIGALRM, KillStopped);
      ::alarm(20);
      out = "stopped inside its write\n";
    } else if (command == "continue") {
      int status = 0;
      ::kill(m_stopped, SIGCONT);
      ::waitpid(m_stopped, &status, 0);
      ::alarm(0);
      g_stopped = 0;
      out = !WIFEXITED(status) ? "killed while stopped\n"
            : WEXITSTATUS(status) == 0 ? "went on and succeeded\n" : "went on and failed\n";
    } else if (command == "mutex") {
      HANDLE mutex = CreateMutexA(nullptr, FALSE, text(2).c_str());
      if (mutex) m_mutexes[text(1)] = {mutex, text(2)};
      out = mutex ? "made\n" : "null " + Status(static_cast<LONG>(GetLastError())) + "\n";
    } else if (command == "wait") {
      const DWORD ms = static_cast<DWORD>(std::stoul(text(2)));
      HANDLE mutex = m_mutexes[text(1)].first;
      DWORD outcome = WAIT_FAILED;
      if (text(3) == "thread") {
        std::thread([&] {
          if ((outcome = WaitForSingleObject(mutex, ms)) == WAIT_OBJECT_0) ReleaseMutex(mutex);
        }).join();
      } else if (text(3) == "process") {
        const std::string name = m_mutexes[text(1)].second;
        int failed = FailedChildren(1, [&](int) {
          return WaitForSingleObject(CreateMutexA(nullptr, FALSE, name.c_str()), ms) ==
                 WAIT_OBJECT_0;
        });
        outcome = failed ? WAIT_TIMEOUT : WAIT_OBJECT_0;
      } else {
        outcome = WaitForSingleObject(mutex, ms);
      }
      out = outcome == WAIT_OBJECT_0 ? "WAIT_OBJECT_0\n" : outcome == WAIT_TIMEOUT ? "WAIT_TIMEOUT\n"
            : "WAIT_FAILED " + Status(static_cast<LONG>(GetLastError())) + "\n";
    } else if (command == "release" || command == "close-handle") {
      HANDLE mutex = m_mutexes[text(1)].first;
      bool done = command == "release" ? ReleaseMutex(mutex) : CloseHandle(mutex);
      out = done ? "done\n" : "refused " + Status(static_cast<LONG>(GetLastError())) + "\n";
    } else if (command == "file") {
      out = Lines(ReadText(path(1)));
    } else if (command == "hive") {
      WriteText(m_sandbox.root() + "/local_machine.hive",
                Decode(line.substr(std::min<std::size_t>(5, line.size()))));
      out = Execute("open HKLM\\SYSTEM");
    } else if (command == "env") {
      m_env.Set(text(1).c_str(), !w[2] ? nullptr : text(2).starts_with("$ROOT") ? path(2).c_str()
                                                                                 : w[2]->c_str());
    } else {
      return false;
    }
    return true;
  }
#endif

  RegistrySandbox m_sandbox;
  ScopedEnv m_env;  // after the sandbox: put back first
  SystemFamily m_family;
#ifndef _WIN32
  pid_t m_stopped = 0;
  // Closed only by close-handle: a session may close one twice, to see the second refused.
  std::map<std::string, std::pair<HANDLE, std::string>> m_mutexes;
#endif
  std::map<std::string, std::pair<HKEY, bool>> m_handles;  // and whether each is still open
};

SWKV_SESSION_TESTS(RegistrySessionTest, RegistrySession,
                   std::string(SWKV_TESTS_DIR) + "/registry/sessions");

}  // namespace
}  // namespace swkv::test
