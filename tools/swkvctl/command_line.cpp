#include "tools/swkvctl/command_line.h"

#include <ostream>

#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/module_version.h"
#include "tools/swkvctl/registration.h"

namespace swkv::ctl {

namespace {

// "--name VALUE" or "--name=VALUE" at arguments[i]; i is moved past the value.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
               std::string& value) {
  const std::string& word = arguments[i];
  if (word.rfind(name + "=", 0) == 0) {
    value = word.substr(name.size() + 1);
    return true;
  }
  if (word != name) return false;
  if (i + 1 >= arguments.size()) throw Failure(kExitUsage, name + " needs a value");
  value = arguments[++i];
  return true;
}

void SetOnce(std::string& field, bool& given, const std::string& name, const std::string& value) {
  if (given && field != value)
    throw Failure(kExitUsage, name + " given twice: " + field + " and " + value);
  field = value;
  given = true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool literal = false, moduleGiven = false, speedGiven = false;
  std::string speed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    std::string value;
    if (literal || word.empty() || word[0] != '-') {
      line.words.push_back(word);
    } else if (word == "--") {
      literal = true;
      line.words.push_back(word);
    } else if (TakeValue(arguments, i, "--module", value)) {
      SetOnce(line.options.moduleFile, moduleGiven, "--module", value);
    } else if (TakeValue(arguments, i, "--speed", value)) {
      SetOnce(speed, speedGiven, "--speed", value);
      if (!Speed::Parse(value, line.options.speed))
        throw Failure(kExitUsage, "--speed takes a factor of 1 or more, or max; not " + value);
    } else if (TakeValue(arguments, i, "--color", value)) {
      if (value != "auto" && value != "always" && value != "never")
        throw Failure(kExitUsage, "--color takes auto, always or never; not " + value);
      line.options.color = value;
    } else if (word == "-q" || word == "--quiet") {
      line.options.quiet = true;
    } else if (word == "-h" || word == "--help") {
      line.help = true;
    } else if (word == "--version") {
      line.version = true;
    } else if (line.words.empty() && word.size() > 1) {
      // Before the command, every option is swkvctl's; after it, the command's own.
      throw Failure(kExitUsage, "unknown option " + word);
    } else {
      line.words.push_back(word);
    }
  }
  if (line.version && !line.words.empty())
    throw Failure(kExitUsage, "--version takes no command (it was given " + line.words[0] + ")");
  return line;
}

bool TakeQuiet(std::vector<std::string>& words) {
  bool quiet = false;
  for (std::size_t i = 0; i < words.size() && words[i] != "--";) {
    if (words[i] == "-q" || words[i] == "--quiet") {
      words.erase(words.begin() + static_cast<std::ptrdiff_t>(i));
      quiet = true;
    } else {
      ++i;
    }
  }
  return quiet;
}

void PrintVersion(std::ostream& out) {
  out << "swkvctl " << SWKV_VERSION << "\n";
  Registration registration;
  std::string missing;
  if (!LookUpRegistration(registration, missing)) {
    out << "component: not registered (" << missing << ")\n";
    return;
  }
  const std::string version = ModuleFileVersion(registration.modulePath);
  out << "component: " << registration.modulePath << " (registered as " << registration.progId
      << " " << registration.clsidText << "), FileVersion "
      << (version.empty() ? "unknown (the file has no version block that can be read)" : version)
      << "\n";
}

}  // namespace swkv::ctl
