// swkvctl's exit codes and the failure that carries one up to the command runner.
//
// The codes are part of the tool's interface: scripts rely on them (README.md lists them).
#pragma once

#include <stdexcept>
#include <string>

namespace swkv::ctl {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,       // an operation failed for another reason (its status is printed)
  kExitUsage = 2,        // the command line (or a shell line) is wrong
  kExitNoComponent = 3,  // no component module found, not registered, or it cannot be loaded
  kExitNoLibrary = 4,    // the controller library cannot be loaded or opened no controller
  kExitUnknownName = 5,  // no such node, entry or controller
  kExitRefused = 6,      // the component refused the request, or an action had no effect
};

// Thrown inside the tool (never through the component's interfaces) to end a command with an
// exit code and a message that says what failed and why.
class Failure : public std::runtime_error {
 public:
  Failure(ExitCode code, const std::string& message) : std::runtime_error(message), m_code(code) {}
  ExitCode code() const { return m_code; }

 private:
  ExitCode m_code;
};

}  // namespace swkv::ctl
