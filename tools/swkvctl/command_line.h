// swkvctl's own options, taken from anywhere on the command line (before a "--", after which
// every word is the command's), so that "get HBA1 DV -q" is "-q get HBA1 DV". The command's own
// options ("--json", "--brief") stay with its words.
#pragma once

#include <string>
#include <vector>

#include "tools/swkvctl/session.h"

namespace swkv::ctl {

struct CommandLine {
  SessionOptions options;
  std::vector<std::string> words;  // the command and its words
  bool help = false;               // -h, --help
  bool version = false;            // --version
};

// Throws Failure (usage) for an option without its value, a value it does not take, or an
// option given twice with different values.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
// Takes -q and --quiet out of a command's words (before a "--"); true when one was there.
bool TakeQuiet(std::vector<std::string>& words);

// --version: swkvctl's version, and the registered component's file and its FileVersion.
void PrintVersion(std::ostream& out);

}  // namespace swkv::ctl
