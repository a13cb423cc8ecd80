// swkvctl: the operator's console for the RAID component. It loads the component as the agent
// does, creates its main class and works on the tree through IRiver, IEventLog and the nodes'
// notifications, on one thread that also runs the component's timer.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tools/monitoring/commands.h"
#include "tools/swkvctl/component_host.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/host_system.h"
#include "tools/swkvctl/session.h"
#include "tools/swkvctl/shell.h"

namespace {

using namespace swkv::ctl;

const char kUsage[] =
    "usage: swkvctl [--module FILE] [--speed FACTOR|max] [-q] COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands (PATH names a node by its link names from the root: HBA1/System/disk1):\n"
    "  tree [PATH] [--brief|--json]     the tree from the root or from PATH, with every entry\n"
    "  ls PATH [--json]                 a node's entries: name, access, value\n"
    "  get PATH NAME...                 read entries\n"
    "  set PATH NAME VALUE              write a property\n"
    "  invoke PATH ACTION [ARGUMENT]    run an action; fields of ARGUMENT that are node paths\n"
    "                                   (HBA1/ch1/master) become handle numbers (--raw: not)\n"
    "  refresh PATH                     have the node read its device again\n"
    "  events CONTROLLER [--clear]      the controller's new events (after one polling pass)\n"
    "  watch [--seconds N]              notifications, events and activity progress as they come\n"
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
    "  help                             this text\n"
    "\n"
    "Options:\n"
    "  --module FILE    load this component module instead of the registered one\n"
    "  --speed FACTOR   let the component's timer and the simulated controllers' clock run\n"
    "                   FACTOR times as fast (or 'max': without waiting); POSIX, simulator only\n"
    "  -q, --quiet      print results only, without the status lines\n"
    "\n"
    "Exit codes: 0 done, 1 failed, 2 usage, 3 no component (not found, not registered, cannot\n"
    "be loaded), 4 controller library unavailable, 5 unknown node or entry, 6 refused or no\n"
    "effect.\n";

int Usage(const std::string& problem) {
  std::cerr << "swkvctl: " << problem << "\n" << kUsage;
  return kExitUsage;
}

int Run(int argc, char** argv) {
  PrepareProcess();
  SessionOptions options;
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string option = argv[i];
    if (option == "--module" || option == "--speed") {
      if (i + 1 >= argc) return Usage(option + " needs a value");
      const std::string value = argv[++i];
      if (option == "--module") {
        options.moduleFile = value;
      } else if (!Speed::Parse(value, options.speed)) {
        return Usage("--speed takes a factor of 1 or more, or max; not " + value);
      }
    } else if (option == "-q" || option == "--quiet") {
      options.quiet = true;
    } else if (option == "-h" || option == "--help") {
      std::cout << kUsage;
      return kExitOk;
    } else {
      return Usage("unknown option " + option);
    }
  }
  if (i >= argc) return Usage("no command given");
  std::vector<std::string> words(argv + i, argv + argc);
  const std::string& command = words[0];
  if (command == "help") {
    std::cout << kUsage;
    return kExitOk;
  }
  if (command == "register" || command == "unregister") {
    if (words.size() > 2) return Usage(command + " takes at most one module file");
    try {
      return ComponentHost::RunRegistration(command == "unregister",
                                            words.size() == 2 ? words[1] : "", std::cout);
    } catch (const Failure& failure) {
      std::cerr << "swkvctl: " << failure.what() << "\n";
      return failure.code();
    }
  }
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
