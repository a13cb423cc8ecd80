// swkvctl run as a process, the way an operator or a script runs it, in a sandbox of its own: a
// private registry (the test process sees the same one), a private state folder, the simulated
// controller library with a state file and a stopped clock, and nothing of the caller's
// swkv environment.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/registry_sandbox.h"

namespace swkv::test {

using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

struct CtlResult {
  int exitCode = -1;  // -1 when the process did not exit normally (it crashed)
  std::string out;
  std::string err;
};

// Checks the exit code and the message on standard error: this message exactly, or (when it ends
// in ": ", the part that names the failure) a message that starts with it.
inline void ExpectFailure(const CtlResult& run, int exitCode, const std::string& err) {
  EXPECT_EQ(run.exitCode, exitCode) << run.err;
  if (err.ends_with(": "))
    EXPECT_THAT(run.err, StartsWith(err));
  else
    EXPECT_EQ(run.err, err);
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CtlSandbox {
 public:
  CtlSandbox();
  ~CtlSandbox();
  CtlSandbox(const CtlSandbox&) = delete;
  CtlSandbox& operator=(const CtlSandbox&) = delete;

  // Runs swkvctl (or another program) with these arguments and standard input.
  CtlResult Run(const std::vector<std::string>& args, const std::string& input = "");
  CtlResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& input = "");
  // Runs swkvctl for a command that must succeed; a failure is reported with its output.
  CtlResult RunOk(const std::vector<std::string>& args, const std::string& input = "");

  // Standard error written into standard output, as a terminal shows both (swkvctl flushes its
  // results before each message); CtlResult::err stays empty.
  bool mergeErrors = false;
  // Environment for the next runs: a value, or nullopt to leave the variable unset.
  std::map<std::string, std::optional<std::string>> environment;
  // Registers the build's component, so that later runs have nothing to say about that.
  void RegisterComponent();
  // The sandbox's own folder (registry, state, scratch files).
  const std::string& folder() const { return m_folder; }
  std::string Path(const std::string& name) const { return m_folder + "/" + name; }
  void WriteFile(const std::string& name, const std::string& text) const;

 private:
  RegistrySandbox m_registry;
  std::string m_folder;
};

}  // namespace swkv::test
