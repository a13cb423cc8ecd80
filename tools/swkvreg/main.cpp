// swkvreg: shows operators what is in the registry, in particular what the component wrote.
#include <cstdio>
#include <iostream>
#include <string>

#include "tools/swkvreg/failure_reports.h"
#include "tools/swkvreg/registry_view.h"

namespace {

const char kUsage[] =
    "usage: swkvreg export [KEY]       print KEY and everything below it (default: all hives)\n"
    "                                  as a .reg file\n"
    "       swkvreg query KEY [VALUE]  list KEY's values and subkeys, or one value (@ for the\n"
    "                                  default value)\n"
    "KEY is written HKEY_LOCAL_MACHINE\\SYSTEM\\... or HKLM\\SYSTEM\\... (also HKCR, HKCU).\n"
    "On POSIX the registry is kept in files under $SWKV_REGISTRY_ROOT, by default\n"
    "$XDG_STATE_HOME/swkv/registry or ~/.local/state/swkv/registry.\n";

int Fail(const std::string& what, LONG status) {
  std::cout.flush();  // what was printed before comes before the message, also in one file
  if (swkv::tools::RegistryExplainedFailure(status)) return 1;
  const char* meaning = status == ERROR_FILE_NOT_FOUND ? "not found"
                        : status == ERROR_ACCESS_DENIED ? "access denied"
                        : status == ERROR_BADDB         ? "the registry file is damaged"
                                                        : "error";
  std::fprintf(stderr, "swkvreg: %s: %s (%ld)\n", what.c_str(), meaning, static_cast<long>(status));
  return 1;
}

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using swkv::tools::KeyName;
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  KeyName key;
  if (argc >= 3 && !swkv::tools::ParseKeyName(argv[2], key)) {
    std::fprintf(stderr, "swkvreg: %s: not a key name (it must begin with a hive)\n", argv[2]);
    return 2;
  }
  if (command == "export" && argc <= 3) {
    std::cout << swkv::tools::kRegFileHeader << '\n';
    if (argc == 3) {
      LONG status = swkv::tools::ExportKey(key, std::cout);
      return status == ERROR_SUCCESS ? 0 : Fail(key.Full(), status);
    }
    std::size_t count = 0;
    const KeyName* hives = swkv::tools::KnownHives(count);
    for (std::size_t i = 0; i < count; ++i)
      if (LONG status = swkv::tools::ExportKey(hives[i], std::cout); status != ERROR_SUCCESS)
        return Fail(hives[i].Full(), status);
    return 0;
  }
  if (command == "query" && argc == 3) {
    LONG status = swkv::tools::QueryKey(key, std::cout);
    return status == ERROR_SUCCESS ? 0 : Fail(key.Full(), status);
  }
  if (command == "query" && argc == 4) {
    LONG status = swkv::tools::QueryValue(key, argv[3], std::cout);
    return status == ERROR_SUCCESS ? 0 : Fail(key.Full() + " " + argv[3], status);
  }
  return Usage();
}
