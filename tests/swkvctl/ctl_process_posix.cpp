// POSIX: swkvctl started with posix_spawn, its output collected through files.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/files.h"
#include "tests/swkvctl/ctl_process.h"

extern char** environ;

namespace swkv::test {

namespace {

// Variables of the caller that would change what swkvctl finds.
bool Inherited(const std::string& name) {
  return name.rfind("SWKV_", 0) != 0 && name != "XDG_STATE_HOME" && name != "HOME" &&
         name != "LD_LIBRARY_PATH";
}

}  // namespace

CtlSandbox::CtlSandbox() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/swkvctl-test-XXXXXX";
  if (!::mkdtemp(pattern.data())) {
    ADD_FAILURE() << "cannot make a folder from " << pattern;
    return;
  }
  m_folder = pattern;
  environment["SWKV_REGISTRY_ROOT"] = m_registry.root();
  environment["HOME"] = Path("home");
  environment["XDG_STATE_HOME"] = Path("state");
  environment["SWKV_SIM_STATE"] = Path("sim-state.json");
  environment["SWKV_SIM_CLOCK"] = "manual";
}

CtlSandbox::~CtlSandbox() {
  std::error_code ignored;
  if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
}

void CtlSandbox::WriteFile(const std::string& name, const std::string& text) const {
  std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
  WriteText(Path(name), text);
}

void CtlSandbox::RegisterComponent() { RunOk({"register"}); }

CtlResult CtlSandbox::RunOk(const std::vector<std::string>& args, const std::string& input) {
  CtlResult result = Run(args, input);
  EXPECT_EQ(result.exitCode, 0) << testing::PrintToString(args) << "\n"
                                << result.out << result.err;
  return result;
}

CtlResult CtlSandbox::Run(const std::vector<std::string>& args, const std::string& input) {
  return RunProgram(SWKV_CTL, args, input);
}

CtlResult CtlSandbox::RunProgram(const std::string& program, const std::vector<std::string>& args,
                                 const std::string& input) {
  WriteFile("stdin.txt", input);
  std::vector<std::string> variables;
  for (char** entry = environ; *entry; ++entry) {
    std::string variable = *entry;
    if (Inherited(variable.substr(0, variable.find('=')))) variables.push_back(variable);
  }
  for (const auto& [name, value] : environment)
    if (value) variables.push_back(name + "=" + *value);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::vector<std::string> words = {program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, Path("stdin.txt").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, Path("stdout.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (mergeErrors)
    posix_spawn_file_actions_adddup2(&files, 1, 2);
  else
    posix_spawn_file_actions_addopen(&files, 2, Path("stderr.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  CtlResult result;
  pid_t pid = 0;
  int failure = posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&files);
  if (failure != 0) {
    ADD_FAILURE() << "cannot start " << program << " (error " << failure << ")";
    return result;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadText(Path("stdout.txt"));
  if (!mergeErrors) result.err = ReadText(Path("stderr.txt"));
  return result;
}

}  // namespace swkv::test

#endif
