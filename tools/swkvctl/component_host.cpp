#include "tools/swkvctl/component_host.h"

#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/registration.h"
#include "tools/swkvctl/registration_check.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/status_text.h"

namespace swkv::ctl {

namespace {

using GetClassObjectFunction = HRESULT WINAPI(REFCLSID, REFIID, void**);
using ServerFunction = HRESULT WINAPI();

std::string BuildComponent() {
  for (const std::string& candidate : BuildComponentCandidates())
    if (FileExists(candidate)) return candidate;
  return {};
}

std::string CandidateList() {
  std::string list;
  for (const std::string& candidate : BuildComponentCandidates())
    list += (list.empty() ? "" : ", ") + candidate;
  return list.empty() ? "(swkvctl's own folder is unknown)" : list;
}

bool SamePath(const std::string& a, const std::string& b) {
  return AbsolutePath(a) == AbsolutePath(b);
}

// Loads a module file for its entry points; a failure names the file and the loader's reason,
// and tells a missing controller library from a bad module.
void LoadModuleFile(ModuleFile& module, const std::string& path) {
  if (!FileExists(path))
    throw Failure(kExitNoComponent, "no component module " + path + ": the file does not exist");
  std::string error;
  if (module.Load(path, error)) return;
  if (error.find(ControllerLibraryName()) != std::string::npos)
    throw Failure(kExitNoLibrary, std::string("controller library unavailable: ") +
                                      ControllerLibraryName() + ", which the component " + path +
                                      " needs, cannot be loaded: " + error);
  throw Failure(kExitNoComponent, "cannot load the component module " + path + ": " + error);
}

HRESULT CallServerEntry(const std::string& path, const char* entry) {
  ModuleFile module;
  LoadModuleFile(module, path);
  auto* function = module.Entry<ServerFunction>(entry);
  if (!function) throw Failure(kExitNoComponent, path + " is not a COM server: it has no " + entry);
  return function();
}

}  // namespace

void ComponentHost::DefaultSimulatorState() {
  if (GetEnvironment("SWKV_SIM_STATE")) return;
  const std::string folder = StateDirectory();
  if (!folder.empty()) SetEnvironment("SWKV_SIM_STATE", folder + "/sim-state.json");
}

void ComponentHost::Load(const std::string& moduleFile, std::ostream& notes) {
  if (!moduleFile.empty()) {
    m_clsid = CLSID_SwkvRAID;
    m_origin = "named on the command line";
    LoadFile(AbsolutePath(moduleFile));
    return;
  }
  Registration registration;
  std::string missing;
  bool registered = LookUpRegistration(registration, missing);
  std::string module = BuildComponent();
  const std::string build = module;
  if (registered && !FileExists(registration.modulePath)) {
    if (build.empty())
      throw Failure(kExitNoComponent, "the registered component module " + registration.modulePath +
                                          " does not exist; register one with "
                                          "'swkvctl register MODULE'");
    missing = "its registered module " + registration.modulePath + " does not exist";
    registered = false;
  }
  // A registration that was stopped half way names its module but lacks what was to be written
  // after the class: that module's registration is run again, and so completed.
  if (std::string incomplete; registered && !RegistrationComplete(registration, incomplete)) {
    missing = "its registration is incomplete: " + incomplete;
    module = registration.modulePath;
    registered = false;
  }
  if (!registered) {
    if (module.empty())
      throw Failure(kExitNoComponent,
                    "the component is not registered (" + missing +
                        ") and there is no component module beside swkvctl (looked for " +
                        CandidateList() + "); register one with 'swkvctl register MODULE'");
    HRESULT status = CallServerEntry(module, "DllRegisterServer");
    if (FAILED(status))
      throw Failure(kExitNoComponent, "the component is not registered (" + missing +
                                          ") and registering " + module +
                                          " failed: " + StatusText(status));
    notes << "swkvctl: registered the component " << AbsolutePath(module) << " (" << missing
          << ")\n";
    std::string incomplete;
    if (!LookUpRegistration(registration, missing))
      throw Failure(kExitNoComponent,
                    "registering " + module + " left the component unregistered: " + missing);
    if (!RegistrationComplete(registration, incomplete))
      throw Failure(kExitNoComponent, "registering " + module +
                                          " left its registration incomplete: " + incomplete);
  } else if (!build.empty() && !SamePath(build, registration.modulePath)) {
    notes << "swkvctl: using the registered component " << registration.modulePath
          << ", not this build's " << AbsolutePath(build) << " ('swkvctl register' registers it)\n";
  }
  m_clsid = registration.clsid;
  m_origin = "registered as " + registration.progId + " " + registration.clsidText;
  LoadFile(registration.modulePath);
}

void ComponentHost::LoadFile(const std::string& path) {
  m_path = path;
  LoadModuleFile(m_module, path);
}

ComPtr<IRiver> ComponentHost::CreateRoot() {
  auto* getClassObject = m_module.Entry<GetClassObjectFunction>("DllGetClassObject");
  if (!getClassObject)
    throw Failure(kExitNoComponent, m_path + " is not a COM server: it has no DllGetClassObject");
  ComPtr<IClassFactory> factory;
  HRESULT status = getClassObject(m_clsid, IID_IClassFactory, factory.put_void());
  if (FAILED(status) || !factory)
    throw Failure(kExitNoComponent, "the component " + m_path + " does not serve the class " +
                                        GuidText(m_clsid) + ": DllGetClassObject returned " +
                                        StatusText(status));
  ComPtr<IRiver> root;
  status = factory->CreateInstance(nullptr, IID_IRiver, root.put_void());
  if (FAILED(status) || !root)
    throw Failure(kExitNoComponent,
                  "creating the component's main class failed: " + StatusText(status));
  std::vector<Entry> entries;
  ListEntries(root.get(), entries);
  for (const Entry& entry : entries)
    if (entry.IsLink() && entry.value == std::to_string(kKindController)) return root;
  throw Failure(kExitNoLibrary, std::string("controller library unavailable: the component found "
                                            "no controller through ") +
                                    ControllerLibraryName() +
                                    " (it could not open controller 0; the library's own "
                                    "message, if it gave one, is above)");
}

int ComponentHost::RunRegistration(bool unregister, const std::string& moduleFile,
                                   std::ostream& out) {
  std::string path = moduleFile;
  if (path.empty() && unregister) {
    Registration registration;
    std::string missing;
    if (LookUpRegistration(registration, missing)) path = registration.modulePath;
  }
  if (path.empty()) path = BuildComponent();
  if (path.empty())
    throw Failure(kExitNoComponent, "no component module to " +
                                        std::string(unregister ? "unregister" : "register") +
                                        ": none is named, none is registered, and there is none "
                                        "beside swkvctl (looked for " +
                                        CandidateList() + ")");
  path = AbsolutePath(path);
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  HRESULT status = CallServerEntry(path, entry);
  if (FAILED(status))
    throw Failure(kExitFailed,
                  std::string(entry) + " of " + path + " failed: " + StatusText(status));
  out << (unregister ? "unregistered " : "registered ") << path << (unregister ? " from " : " in ")
      << RegistryLocation() << ": " << StatusText(status) << "\n";
  return kExitOk;
}

}  // namespace swkv::ctl
