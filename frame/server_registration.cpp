#include "frame/server_registration.h"

#include <string>
#include <vector>

#include "com/module.h"
#include "frame/registrar.h"
#include "frame/registry_scripts.h"
#include "platform/com_ptr.h"
#include "platform/module/module_entry.h"
#include "mxaraid/interfaces.h"

namespace swkv {

namespace {

// The module's path for the scripts, and as wide text for the type-library services.
struct ModulePath {
  std::string ansi = ModuleFilePath(Module().instance());
  std::vector<OLECHAR> wide;

  ModulePath() {
    if (ansi.empty()) return;
    const int length = static_cast<int>(ansi.size()) + 1;
    wide.resize(static_cast<std::size_t>(length));
    if (MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), length, wide.data(), length) != length)
      wide.clear();
  }
  bool valid() const { return !ansi.empty() && !wide.empty(); }
};

CRegistrar MakeRegistrar(const ModulePath& path) {
  CRegistrar registrar;
  registrar.AddReplacement("MODULE", path.ansi);
  return registrar;
}

}  // namespace

HRESULT RegisterServer() {
  try {
    ModulePath path;
    if (!path.valid()) return E_UNEXPECTED;
    CRegistrar registrar = MakeRegistrar(path);
    for (const ClassEntry& entry : Module().classes())
      if (HRESULT hr = registrar.Register(RegistryScript(entry.registryScript)); FAILED(hr))
        return hr;
    ComPtr<ITypeLib> library;
    if (HRESULT hr = LoadTypeLibEx(path.wide.data(), REGKIND_NONE, library.put()); FAILED(hr))
      return hr;
    return RegisterTypeLib(library.get(), path.wide.data(), nullptr);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT UnregisterServer() {
  try {
    ModulePath path;
    HRESULT first = S_OK;
    auto note = [&first](HRESULT hr) {
      if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    };
    CRegistrar registrar = MakeRegistrar(path);
    for (const ClassEntry& entry : Module().classes())
      note(registrar.Unregister(RegistryScript(entry.registryScript)));
    note(UnRegisterTypeLib(LIBID_MXARAIDLib, 1, 0, 0, SYS_WIN64));
    return first;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace swkv
