// The session commands that steer the simulated library itself rather than the tree: its test
// API, its environment and files, and other processes over one state file ("$TMP" in a command
// is a folder of the session's own, "$TESTS" the tests' source folder, ".tmp.$PID" the ending of
// this process's temporary files; all are shown so).
//   sim load FILE|JSON             the scenario of FILE (below tests/) or of the text loaded (a
//                                  "\n" in the text is a line end), no controller open
//   sim reset                      started over as a new process, on a stopped clock
//   env NAME VALUE|-               an environment variable set or removed
//   file write|append NAME TEXT / file show|remove|mkdir NAME
//                                  a file below $TMP ("\n" in TEXT a line end); write and
//                                  mkdir replace whatever was there
//   state FILE [POINTER]           a state file's JSON document below $TMP, or the part at the
//                                  pointer, its times in ms from where the last "sim load" or
//                                  "sim reset" stopped the clock
//   spawn COMMAND [; COMMAND]...   commands run in a new process (this program again, on the
//                                  same environment) while this one goes on; wait shows what
//                                  each gave, in the order they started
//   repeat N COMMAND               the command N times, "#" in it the round from 0
//   drain                          the events taken, tallied by their first word: how many,
//                                  and whether the numbers after it count up from 0
// Each prints nothing on success or "refused STATUS: REASON" for a refusal of the library.
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "sim/sim_control.h"
#include "tests/agent/agent_session.h"
#include "tests/support/files.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#endif

namespace swkv::test {

std::string AgentSession::SimCommand(const Words& w, const std::string& rest) {
  const std::string& command = w[0];
  auto path = [&](const std::string& name) { return m_folder + "/" + name; };
  std::string out;
  if (command == "sim") {
    if (w.at(1) == "load") return LoadModel(After(rest, 1));
    out = SimRefusal(simReset());
    simStopClock();
    m_origin = simNow();
  } else if (command == "env") {
    SetEnv(w.at(1).c_str(), w.at(2) == "-" ? nullptr : w[2].c_str());
  } else if (command == "file") {
    std::filesystem::create_directories(m_folder);
    const std::string file = path(w.at(2));
    std::string text = After(rest, 2);
    text = Replaced(text, "\\n", "\n");
    // What was there before goes, a folder too.
    if (w[1] != "append" && w[1] != "show") std::filesystem::remove_all(file);
    if (w[1] == "write" || w[1] == "append") {
      std::filesystem::create_directories(std::filesystem::path(file).parent_path());
      WriteText(file, (w[1] == "append" ? ReadText(file) : "") + text);
    } else if (w[1] == "show") {
      out = std::filesystem::exists(file) ? ReadText(file) : "<missing>";
      if (!out.ends_with('\n')) out += "\n";
    } else if (w[1] == "mkdir") {
      std::filesystem::create_directories(file);
    }
  } else if (command == "state") {
    // A missing file reads as "", which the parser refuses.
    nlohmann::json state = nlohmann::json::parse(ReadText(path(w.at(1))));
    // Times as milliseconds from the origin of "sim now".
    std::function<void(nlohmann::json&)> relative = [&](nlohmann::json& j) {
      for (auto& [key, value] : j.items()) {
        if (key == "runningSince" || key == "startMs" || key == "manualClockMs")
          value = value.get<std::int64_t>() - m_origin;
        else if (value.is_structured())
          relative(value);
      }
    };
    relative(state);
    out = state.at(nlohmann::json::json_pointer(w.size() > 2 ? w[2] : "")).dump() + "\n";
  } else if (command == "spawn") {
#ifndef _WIN32
    // The test program again, running the commands in the session of AgentProcess.DISABLED_Run.
    const std::string output = path("process" + std::to_string(m_children.size() + 1));
    std::filesystem::create_directories(m_folder);
    const pid_t child = fork();
    if (child == 0) {
      SetEnv("SWKV_AGENT_PROCESS", output.c_str());
      SetEnv("SWKV_AGENT_COMMANDS", rest.c_str());
      SetEnv("SWKV_AGENT_FOLDER", m_folder.c_str());
      SetEnv("SWKV_SIM_TRACE", nullptr);
      if (std::freopen("/dev/null", "w", stdout)) {
        execl("/proc/self/exe", "agent", "--gtest_filter=AgentProcess.DISABLED_Run",
              "--gtest_also_run_disabled_tests", static_cast<char*>(nullptr));
      }
      _exit(127);
    }
    m_children.emplace_back(child, output);
#endif
  } else if (command == "wait") {
#ifndef _WIN32
    for (std::size_t i = 0; i < m_children.size(); ++i) {
      int status = 0;
      waitpid(m_children[i].first, &status, 0);
      out += "process " + std::to_string(i + 1) + (status == 0 ? "" : " failed") + ":\n" +
             ReadText(m_children[i].second);
    }
    m_children.clear();
#endif
  } else if (command == "repeat") {
    const std::string line = After(rest, 1);
    for (int i = 0, n = std::stoi(w.at(1)); i < n; ++i) {
      std::string round = line;
      round = Replaced(round, "#", std::to_string(i));
      out += Run(round);
    }
  } else if (command == "drain") {
    std::map<std::string, std::pair<int, bool>> tally;  // how many, counting up from 0
    RaEventRecord records[RA_MAX_EVENTS];
    for (std::int32_t n = 0; raGetEvents(records, &n) == 0 && n > 0 && n <= RA_MAX_EVENTS;)
    for (const RaEventRecord& e : std::vector<RaEventRecord>(records, records + n)) {
      std::istringstream text(std::string(e.text, strnlen(e.text, sizeof e.text)));
      std::string tag, number;
      text >> tag >> number;
      auto& [count, inOrder] = tally.try_emplace(tag, 0, true).first->second;
      inOrder = inOrder && number == std::to_string(count);
      ++count;
    }
    for (const auto& [tag, t] : tally)
      out += tag + ": " + std::to_string(t.first) + (t.second ? " in order\n" : " out of order\n");
  } else {
    throw std::invalid_argument("no command " + command);
  }
  return out;
}

}  // namespace swkv::test
