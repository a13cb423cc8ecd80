// swkvctl: the operator's console for the RAID component. It loads the component as the agent
// does, creates its main class and works on the tree through IRiver, IEventLog and the nodes'
// notifications, on one thread that also runs the component's timer.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tools/monitoring/commands.h"
#include "tools/swkvctl/command_completion.h"
#include "tools/swkvctl/command_line.h"
#include "tools/swkvctl/component_host.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/host_system.h"
#include "tools/swkvctl/session.h"
#include "tools/swkvctl/shell.h"

namespace {

using namespace swkv::ctl;

const char kUsage[] =
    "usage: swkvctl [--module FILE] [--speed FACTOR|max] [-q] [--color WHEN] COMMAND [ARGUMENTS]\n"
    "       swkvctl --version\n"
    "\n"
    "Commands (PATH names a node by its link names from the root: HBA1/System/disk1; in a\n"
    "name, \\/ stands for '/', \\\\ for '\\', \\e \\n \\t \\xHH for control characters):\n"
    "  tree [PATH] [--brief|--json]     the tree from the root or from PATH, with every entry\n"
    "  ls PATH [--json]                 a node's entries: name, access, value\n"
    "  get PATH NAME... [--json]        read entries\n"
    "  set PATH NAME VALUE [--json]     write a property; one that is only the node's text (an\n"
    "                                   array's name, mode, geometry) needs --text-only\n"
    "  invoke PATH ACTION [ARGUMENT]    run an action; ARGUMENT is checked (codes in words:\n"
    "                                   RebuildArray pause), node paths in it (HBA1/ch1/master)\n"
    "                                   become handle numbers (--raw: neither); --json\n"
    "  refresh PATH [--json]            have the node read its device again\n"
    "  events CONTROLLER [--clear] [--json]  the controller's new events (after one pass)\n"
    "  watch [--seconds N] [--json]     notifications, events and activity progress as they come\n"
    "  shell [--echo]                   an interactive console (commands from a script too)\n"
    "  health [PATH] [--json] [-w C] [-c C]\n"
    "                                   one verdict over the tree or a controller, as monitoring\n"
    "                                   plugins give it (exit 0 OK, 1 WARNING, 2 CRITICAL,\n"
    "                                   3 UNKNOWN); bay temperatures warn at -w (default 45 C)\n"
    "                                   and are critical at -c (default 55 C)\n"
    "  metrics [--textfile FILE]        the tree as Prometheus metrics (FILE replaced whole)\n"
    "  serve [--listen ADDRESS:PORT] [--textfile FILE]\n"
    "                                   a Prometheus exporter: GET /metrics and /health on\n"
    "                                   ADDRESS:PORT (default 127.0.0.1:9478), or FILE rewritten\n"
    "                                   when something changed; Ctrl-C or SIGTERM stops it\n"
    "  register [MODULE]                register the component (by default this build's)\n"
    "  unregister [MODULE]              unregister it (by default the registered one)\n"
    "  complete [WORD...]               what Tab offers after these words (the last one typed\n"
    "                                   so far): for shells' completion\n"
    "  help                             this text\n"
    "\n"
    "Options:\n"
    "  --module FILE    load this component module instead of the registered one\n"
    "  --speed FACTOR   let the component's timer and the simulated controllers' clock run\n"
    "                   FACTOR times as fast (or 'max': without waiting); POSIX, simulator only\n"
    "  -q, --quiet      print results only, without the status lines\n"
    "  --color WHEN     colour states: auto (on a terminal, without NO_COLOR), always, never\n"
    "  --version        swkvctl's version and the registered component's file and version\n"
    "  -h, --help       this text\n"
    "Options may stand anywhere on the line; after '--' every word is the command's.\n"
    "\n"
    "Exit codes: 0 done, 1 failed, 2 usage, 3 no component (not found, not registered, cannot\n"
    "be loaded), 4 controller library unavailable, 5 unknown node or entry, 6 refused or no\n"
    "effect.\n";

int Usage(const std::string& problem) {
  std::cerr << "swkvctl: " << problem << "\n"
            << "usage: swkvctl [OPTIONS] COMMAND [ARGUMENTS] ('swkvctl help' lists them)\n";
  return kExitUsage;
}

int Run(int argc, char** argv) {
  PrepareProcess();
  CommandLine line;
  try {
    line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const Failure& failure) {
    return Usage(failure.what());
  }
  if (line.help) {
    std::cout << kUsage;
    return kExitOk;
  }
  if (line.version) {
    PrintVersion(std::cout);
    return kExitOk;
  }
  const SessionOptions& options = line.options;
  if (line.words.empty()) return Usage("no command given");
  const std::vector<std::string>& words = line.words;
  const std::string& command = words[0];
  if (command == "help") {
    std::cout << kUsage;
    return kExitOk;
  }
  if (command == "register" || command == "unregister") {
    if (words.size() > 2) return Usage(command + " takes at most one module file");
    if (words.size() == 2 && !options.moduleFile.empty() && words[1] != options.moduleFile)
      return Usage(command + ": two module files given: " + options.moduleFile +
                   " (--module) and " + words[1]);
    try {
      return ComponentHost::RunRegistration(command == "unregister",
                                            words.size() == 2 ? words[1] : options.moduleFile,
                                            std::cout);
    } catch (const Failure& failure) {
      std::cerr << "swkvctl: " << failure.what() << "\n";
      return failure.code();
    }
  }
  if (command == "complete") return RunCompletion(options, words, std::cout);
  Session session(options, std::cout, std::cerr);
  if (command == "shell") {
    bool echo = false;
    for (std::size_t k = 1; k < words.size(); ++k) {
      if (words[k] != "--echo") return Usage("shell: unknown argument " + words[k]);
      echo = true;
    }
    Shell shell(session, std::cin, std::cout, std::cerr);
    return shell.Run(echo);
  }
  if (swkv::mon::IsMonitoringCommand(command))
    return swkv::mon::RunMonitoringCommand(session, words, std::cout, std::cerr);
  if (command == "cd" || command == "pwd") return Usage(command + " is a shell command");
  return session.Run(words);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& problem) {
    std::cerr << "swkvctl: failed: " << problem.what() << "\n";
    return kExitFailed;
  } catch (...) {
    std::cerr << "swkvctl: failed for a reason it cannot name\n";
    return kExitFailed;
  }
}
