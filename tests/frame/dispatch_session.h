// The component as a host, an installer, a script host or a C++ client uses it, typed as lines of
// text: its entry points and class object, its registration and type library, names to dispatch
// ids and Invoke with arguments of every kind a caller passes, each call's result and what it
// left in the caller's variables shown as text. The engine behind the sessions in sessions/.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "mxaraid/interfaces.h"
#include "tests/frame/component_host.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/replay.h"

namespace swkv::test {

class DispatchSession {
 public:
  // A component loaded as a host loads it, in a registry of its own where nothing is
  // registered yet.
  DispatchSession();
  ~DispatchSession();
  DispatchSession(const DispatchSession&) = delete;
  DispatchSession& operator=(const DispatchSession&) = delete;

  // Runs one command line (without its "> ") and returns what it printed, each line with its
  // line end.
  std::string Run(const std::string& line);

  class Arguments;

 private:
  using Words = std::vector<std::string>;
  std::string Do(const Words& words);
  IDispatch* Object(const std::string& name) const;
  ComPtr<IUnknown> Held(const std::string& name) const;
  // The object kept as name; calls reach it through dispatch (its IRiver when null).
  void Keep(const std::string& name, IUnknown* object, IDispatch* dispatch = nullptr);
  // An object a call left: null, a node by its handle or an enumerator by its list.
  std::string Describe(IUnknown* object);
  std::string Handle(const std::string& text);
  std::string Entry(const std::string& entry);
  std::string Invoke(const Words& words);
  // What a factory or the module handed to out, kept by the name words give.
  std::string Made(HRESULT status, void* out, const Words& words);

  // An outer object that aggregates the main class: it answers IUnknown itself and everything
  // else through the inner object, and counts the references its interfaces get.
  struct Outer final : IUnknown {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
      if (!IsEqualIID(iid, IID_IUnknown))
        return inner ? inner->QueryInterface(iid, ppv) : E_NOINTERFACE;
      *ppv = this;
      AddRef();
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    ULONG refs = 0;
    IUnknown* inner = nullptr;
  };

  RegistrySandbox m_registry;
  ComponentHost m_host;
  Outer m_outer;  // outlives every object kept
  ComPtr<ITypeLib> m_library;  // the last one loaded
  std::string m_script;        // the registrar script typed
  bool m_scriptRun = false;    // the next script line starts a new one
  struct Kept {
    ComPtr<IUnknown> object;
    IDispatch* dispatch = nullptr;  // the object's IRiver or IEventLog, as the caller holds it
  };
  std::map<std::string, Kept> m_objects;
  HandleOrdinals m_handles;
};

}  // namespace swkv::test
