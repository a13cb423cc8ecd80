// Loads the component as its host does and creates its main class.
//
// Without a module file named, the component is the registered one. When it is not registered
// (or its registered file is gone) and swkvctl runs from a build, the build's own component is
// registered first, so that a fresh machine needs no setup.
#pragma once

#include <ostream>
#include <string>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tools/swkvctl/host_system.h"

namespace swkv::ctl {

class ComponentHost {
 public:
  // Sets the simulated controller library's state file to the user's state folder when the
  // environment does not name one, so that a simulated system lasts from one command to the next.
  static void DefaultSimulatorState();

  // Finds and loads the component: the module file given, or the registered one. Notes on what
  // was done on the way (a registration) go to notes. Throws Failure.
  void Load(const std::string& moduleFile, std::ostream& notes);
  // Creates the main class and returns the root's IRiver. Throws Failure; also when the tree has
  // no controller (the controller library opened none).
  ComPtr<IRiver> CreateRoot();

  const std::string& modulePath() const { return m_path; }
  // "registered as TessaryRAID.SwkvRAID.1 {...}" or "named on the command line".
  const std::string& origin() const { return m_origin; }

  // register/unregister: runs the module's registration entry point. moduleFile may be empty:
  // the build's component (register) or the registered one (unregister). Returns the exit code.
  static int RunRegistration(bool unregister, const std::string& moduleFile, std::ostream& out);

 private:
  void LoadFile(const std::string& path);

  ModuleFile m_module;
  std::string m_path;
  std::string m_origin;
  CLSID m_clsid{};
};

}  // namespace swkv::ctl
