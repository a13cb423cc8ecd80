// Sessions of the component's resources, replayed: each file in sessions/ is a list of the
// lookups the component makes (the commands below), each followed by what it gave. They run
// against our POSIX platform library and against the system's on Windows; the sessions named
// posix_* also use what only the POSIX library has, or write damaged files.
//
// A MODULE is versioned or plain (the two test modules, with and without a version block),
// program (this program's own), null or inside (an address 16 bytes into the versioned
// module). A FILE is a MODULE's file, missing (the plain module's path and ".absent"), or in
// posix_* sessions a file the session wrote.
// Several names after a command (after its MODULE or FILE) are each looked up in turn.
// Errors show as the system's numbers: 2 no such file, 11 a bad format, 13 invalid data, 87 an
// invalid parameter, 122 too small a buffer, 126 no such module, 1813 no such resource type.
//   string MODULE ID[/ROOM]...       LoadStringA into ROOM characters (64): what was read
//   path MODULE...                   GetModuleFileNameA: the file's name
//   room MODULE +N|-N|0 [ends]       the same into a room of the path's length and N: the result
//                                    and what the buffer holds (with ends: how it ends)
//   size FILE... / block FILE +N|-N|null...   GetFileVersionInfoSizeA / GetFileVersionInfoA
//                                    into a room of the block's size and N, or into none
//   query FILE SUBBLOCK... | query FILE SUBBLOCK null-path|null-value|null-length...
//                                    VerQueryValueA on the file's block (posix_*: with no
//                                    sub-block, no value or no length)
//   info FILE [NAME|-[@count]...]   the root node's reader of the block: its translations, then
//                                    the NAMEs (- none) in the first translation (or in the one
//                                    after the last)
// Only in posix_* sessions:
//   box TEXT / message-box TEXT      ShowMessage to the platform's box; MessageBoxA: what
//                                    they write to stderr
//   register MODULE ID[=TEXT]...    a string table (no text: a null one)
// The commands that write a file (file, copy, poke, edit, elf) show the size of its block.
//   file NAME [TEXT]                 a file of the text and a line end (none: empty)
//   copy NAME [block]                the versioned module's file, or its bytes before its
//                                    version block
//   poke NAME KEY LENGTH [value] / edit NAME OLD NEW   the length of the block's node KEY (or
//                                    of its value) set; the first OLD in the block replaced by NEW
//                                    (in a copy of the versioned module when NAME is not there)
//   rename NAME NEW
//   elf NAME SECTIONS [count-in-first] [keep=N] [cut-name] [names-last] [names-untyped]
//       [names-uncounted] [block-nobits]   a file laid out by hand: the block in the last
//                                    section but one of SECTIONS (counting the null section 0);
//                                    the count kept in section 0, only N entries of the table
//                                    left, the name table cut short, the name table the last
//                                    section rather than the first, typed as no string table, or
//                                    left out of the header's count, the block's section typed
//                                    as one that takes no room in the file
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <stdexcept>
#include <sstream>
#include <string>
#include <vector>

#include "com/message_box.h"
#include "platform/module_instance.h"
#include "platform/win.h"
#include "tests/support/files.h"
#include "tests/support/replay.h"
#include "tree/file_version_info.h"

#ifndef _WIN32
#include <elf.h>

#include <cstdio>
#include <cstdlib>

#include "platform/resource_script.h"
#endif

// The two test modules: each answers its own instance.
extern "C" HINSTANCE SwkvTestVersionedModule();
extern "C" HINSTANCE SwkvTestPlainModule();

namespace swkv::test {
namespace {

// The file a module was loaded from, as GetModuleFileNameA gives it; empty when it fails.
std::string ModulePath(HMODULE module) {
  char path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(module, path, sizeof path);
  return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

// A file's name without its folder, extension and "lib" prefix, alike on both systems.
std::string Name(const std::string& path) {
  const std::string name = std::filesystem::path(path).stem().string();
  return name.starts_with("lib") ? name.substr(3) : name;
}

class ResourceSession {
 public:
  ResourceSession() {
#ifndef _WIN32
    char pattern[] = "/tmp/swkv_resources_XXXXXX";
    if (mkdtemp(pattern)) m_dir = pattern;
    m_module = ReadText(ModulePath(SwkvTestVersionedModule()));
    // The block starts with its root node: 6 header bytes, then the key.
    m_block = m_module.find(std::string(kVersionRootKey) + '\0') - 6;
#endif
  }
  ~ResourceSession() {
#ifndef _WIN32
    std::filesystem::remove_all(m_dir);
#endif
  }

  HMODULE Module(const std::string& name) {
    if (name == "versioned") return SwkvTestVersionedModule();
    if (name == "plain") return SwkvTestPlainModule();
    if (name == "program") return ModuleInstance();
    if (name == "inside") return reinterpret_cast<HMODULE>(
        reinterpret_cast<char*>(SwkvTestVersionedModule()) + 16);
    if (name == "null") return nullptr;
    throw std::invalid_argument("no module " + name);
  }
  std::string File(const std::string& name) {
    if (name == "missing") return ModulePath(SwkvTestPlainModule()) + ".absent";
    if (name == "versioned" || name == "plain" || name == "program")
      return ModulePath(Module(name));
    return m_dir + "/" + name;
  }
  // The file's block as GetFileVersionInfoA gives it into a room of its size and delta (none:
  // the size only, shown); empty when either call fails, and then out tells why.
  std::vector<BYTE> Block(const std::string& path, const std::string& delta,
                          std::ostringstream& out) {
    DWORD handle = 1;
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (handle != 0) out << "handle left set, ";
    if (size == 0) return out << "0 error " << GetLastError() << "\n", std::vector<BYTE>();
    if (delta.empty())  // the files written from the versioned module share its block
      return out << (size == GetFileVersionInfoSizeA(ModulePath(Module("versioned")).c_str(),
                                                     nullptr) ? "the versioned module's size\n"
                                                              : std::to_string(size) + "\n"),
             std::vector<BYTE>();
    std::vector<BYTE> block(size + 2, 0xAA);
    const DWORD room = static_cast<DWORD>(static_cast<int>(size) + (delta == "null" ? 0 : std::stoi(delta)));
    if (!GetFileVersionInfoA(path.c_str(), 0, room, delta == "null" ? nullptr : block.data()))
      return out << "FALSE error " << GetLastError() << "\n", std::vector<BYTE>();
    if (block[std::min(room, size)] != 0xAA) out << "written past the block, ";
    block.resize(size);
    return block;
  }

  std::string Run(const std::string& line) {
    std::vector<std::string> w = SplitWords(line);
    const std::string c = w.empty() ? std::string() : w[0];
    // Several names (or rooms, or null- places): each looked up in turn and shown after it.
    const bool places = !w.empty() && w.back().starts_with("null-");
    const std::size_t first = c == "size" || c == "path" ? 1 : places ? 3 : 2;
    if ((c == "string" || c == "size" || c == "path" || c == "block" || c == "query") &&
        w.size() > first + 1) {
      std::string out, command = c;
      for (std::size_t i = 1; i < first; ++i) command += " " + w[i];
      for (std::size_t i = first; i < w.size(); ++i) out += w[i] + ": " + Run(command + " " + w[i]);
      return out;
    }
    w.resize(std::max<std::size_t>(w.size(), 6));
    std::ostringstream out;
    if (c == "string") {
      char buffer[65];
      std::memset(buffer, 'x', sizeof buffer);
      const std::size_t slash = w[2].find('/');
      const int room = slash == w[2].npos ? 64 : std::stoi(w[2].substr(slash + 1));
      out << LoadStringA(Module(w[1]), std::stoul(w[2]), buffer, room) << " \""
          << std::string(buffer, strnlen(buffer, 64)) << "\""
          << (buffer[room] != 'x' ? ", written past the room\n" : "\n");
    } else if (c == "path" || c == "room") {
      const std::string full = ModulePath(Module(w[1]));
      const DWORD room = static_cast<DWORD>(
          c == "path" ? MAX_PATH : static_cast<int>(full.size()) + std::stoi(w[2]));
      std::string buffer(MAX_PATH + 4, 'x');
      SetLastError(ERROR_SUCCESS);
      const DWORD n = GetModuleFileNameA(Module(w[1]), buffer.data(), room);
      // What a cut path ends with differs between Windows versions: shown when asked for.
      const std::size_t shown = w[3].empty() ? std::min<std::size_t>(full.size(), room - 1)
                                             : full.size();
      const std::size_t same = static_cast<std::size_t>(
          std::mismatch(full.begin(), full.begin() + shown, buffer.begin()).first - full.begin());
      if (c == "path")
        out << (n ? Name(buffer.c_str()) : "0 error " + std::to_string(GetLastError())) << "\n";
      else
        out << (n == full.size() ? "the length" : n == room ? "the room" : std::to_string(n))
            << ", error " << GetLastError() << ", the path"
            << (same < full.size() ? " less " + std::to_string(full.size() - same) : "")
            << (!w[3].empty() && buffer[same] == '\0' ? " and a terminator" : "")
            << (buffer[room] != 'x' ? ", written past the room\n" : "\n");
    } else if (c == "size") {
      Block(File(w[1]), "", out);
    } else if (c == "block") {
      if (!Block(File(w[1]), w[2].empty() ? "0" : w[2], out).empty()) out << "TRUE\n";
    } else if (c == "query") {
      const std::vector<BYTE> block = Block(File(w[1]), "0", out);
#ifdef _WIN32
      void* value = nullptr;  // Wine leaves it as it was when the lookup fails
#else
      void* value = &out;  // not a value: the call must set it
#endif
      UINT length = 0;
      if (block.empty()) {
      } else if (!VerQueryValueA(block.data(), w[3] == "null-path" ? nullptr : w[2].c_str(),
                                 w[3] == "null-value" ? nullptr : &value,
                                 w[3] == "null-length" ? nullptr : &length)) {
        out << "not found" << (value ? ", value left set\n" : "\n");
      } else if (w[2] == "\\" || w[2].ends_with("Translation")) {
        // The fixed information by its double words, the translations by their words.
        const UINT unit = w[2] == "\\" ? 4 : 2;
        out << length << " bytes:" << std::hex << std::setfill('0');
        for (UINT i = 0, n = 0; i + unit <= length; i += unit, n = 0)
          out << " " << std::setw(2 * unit)
              << (std::memcpy(&n, static_cast<const BYTE*>(value) + i, unit), n);
        out << "\n";
      } else {
        out << "\"" << static_cast<const char*>(value) << "\", " << length << " characters\n";
      }
    } else if (c == "info") {
      FileVersionInfo info(File(w[1]).c_str());
      out << (info.valid() ? "translations: " + std::to_string(info.translation_count()) + "\n"
                           : "not valid\n");
      for (std::size_t i = 2; i < w.size() && !w[i].empty(); ++i) {
        const std::string name = w[i].substr(0, w[i].find('@'));
        const char* text = nullptr;
        UINT length = 0;
        if (info.QueryVersionString(name == "-" ? nullptr : name.c_str(), &text, &length,
                                    w[i].ends_with("@count") ? info.translation_count() : 0))
          out << w[i] << ": \"" << text << "\", " << length << " characters\n";
        else
          out << w[i] << ": none" << (text ? ", text set\n" : "\n");
      }
#ifndef _WIN32
    } else if (!Posix(w, line, out)) {
#else
    } else {
#endif
      throw std::invalid_argument("no command " + c);
    }
    return out.str();
  }

#ifndef _WIN32
  bool Posix(const std::vector<std::string>& w, const std::string& line, std::ostringstream& out) {
    auto rest = [&](std::size_t words) {  // the line after its first words
      std::size_t at = words;
      for (std::size_t i = 0; i < words; ++i) at += w[i].size();
      return at < line.size() ? line.substr(at) : std::string();
    };
    const std::string& c = w[0];
    const std::string path = File(w[1]);
    if (c == "box" || c == "message-box") {
      testing::internal::CaptureStderr();
      MessageHandler guard = SetMessageHandler({});  // the platform's box, not the tests' guard
      if (c == "box") ShowMessage(rest(1));
      else out << (MessageBoxA(nullptr, rest(1).c_str(), nullptr, MB_OK) == IDOK ? "IDOK\n" : "");
      SetMessageHandler(std::move(guard));
      out << "stderr: " << testing::internal::GetCapturedStderr();
    } else if (c == "register") {
      std::vector<std::string> words(w.begin() + 2, std::find(w.begin() + 2, w.end(), ""));
      std::vector<SWKV_STRING_RESOURCE> entries;
      for (std::string& word : words) {  // "ID=TEXT" split in place
        const std::size_t equals = word.find('=');
        if (equals != word.npos) word[equals] = '\0';
        entries.push_back({static_cast<UINT>(std::stoul(word)),
                           equals == word.npos ? nullptr : word.c_str() + equals + 1});
      }
      out << (SwkvRegisterStringTable(Module(w[1]), entries.data(),
                                      static_cast<UINT>(entries.size())) ? "TRUE\n" : "FALSE\n");
    } else if (c == "file") {
      WriteText(path, w[2].empty() ? "" : rest(2) + "\n");
    } else if (c == "copy") {
      WriteText(path, m_module.substr(0, w[2] == "block" ? m_block : m_module.npos));
    } else if (c == "poke" || c == "edit") {
      std::string bytes = std::filesystem::exists(path) ? ReadText(path) : m_module;
      std::size_t at = bytes.find(c == "poke" ? w[2] + '\0' : w[2], m_block);
      if (at == bytes.npos) return out << "not in the block\n", true;
      if (c == "edit") {
        bytes.replace(at, w[2].size(), w[3]);
      } else {
        WORD length = static_cast<WORD>(std::stoul(w[3], nullptr, 0));
        std::memcpy(&bytes[at - (w[4] == "value" ? 4 : 6)], &length, sizeof length);
      }
      WriteText(path, bytes);
    } else if (c == "rename") {
      out << (std::rename(path.c_str(), File(w[2]).c_str()) == 0 ? "" : "not renamed\n");
    } else if (c == "elf") {
      WriteText(path, LaidOut(w));
    } else {
      return false;
    }
    // A file written shows the size of its block.
    if (c == "file" || c == "copy" || c == "poke" || c == "edit" || c == "elf")
      Block(path, "", out);
    return true;
  }

  // A file laid out by hand around the module's version block: header, names, block, then the
  // section table: the null section, the names, filler, the version section last but one, one
  // filler after it.
  std::string LaidOut(const std::vector<std::string>& w) {
    auto has = [&](const char* word) { return std::find(w.begin(), w.end(), word) != w.end(); };
    WORD blockSize = 0;
    std::memcpy(&blockSize, &m_module[m_block], sizeof blockSize);
    static const char kNames[] = "\0.shstrtab\0.swkv_version";  // at 1 and at 11
    const std::size_t namesAt = sizeof(Elf64_Ehdr), blockAt = namesAt + sizeof kNames;
    // The module's own header, the names and the block, up to where the table starts.
    std::string bytes = m_module.substr(0, namesAt) + std::string(kNames, sizeof kNames) +
                        m_module.substr(m_block, blockSize);
    bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
    std::vector<Elf64_Shdr> table(std::stoul(w[2]));
    const std::size_t namesIndex = has("names-last") ? table.size() - 1 : 1;
    for (std::size_t i = 1; i < table.size(); ++i) table[i].sh_type = SHT_PROGBITS;
    const Elf64_Word namesType = has("names-untyped") ? SHT_PROGBITS : SHT_STRTAB;
    table[namesIndex] = {1, namesType, 0, 0, namesAt, has("cut-name") ? 14u : sizeof kNames, 0,
                         0, 1, 0};
    table[table.size() - 2] = {11, SHT_PROGBITS, 0, 0, blockAt, blockSize, 0, 0, 1, 0};
    if (has("block-nobits")) table[table.size() - 2].sh_type = SHT_NOBITS;
    Elf64_Ehdr header;
    std::memcpy(&header, bytes.data(), sizeof header);
    header.e_shoff = bytes.size();
    header.e_shnum = static_cast<Elf64_Half>(table.size() - has("names-uncounted"));
    header.e_shstrndx = static_cast<Elf64_Half>(namesIndex);
    if (has("count-in-first")) {
      table[0].sh_size = table.size();
      table[0].sh_link = static_cast<Elf64_Word>(namesIndex);
      header.e_shnum = 0;
      header.e_shstrndx = SHN_XINDEX;
    }
    std::size_t entries = table.size();
    for (const std::string& word : w)
      if (word.starts_with("keep=")) entries = std::stoul(word.substr(5));
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes.append(reinterpret_cast<const char*>(table.data()), entries * sizeof table[0]);
  }

  std::string m_module;  // the versioned module's file
  std::size_t m_block = 0;  // where its version block starts
#endif
  std::string m_dir;
};

SWKV_SESSION_TESTS(ResourceSessionTest, ResourceSession,
                   std::string(SWKV_TESTS_DIR) + "/resources/sessions");

}  // namespace
}  // namespace swkv::test
