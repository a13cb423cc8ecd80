// The component module object: one per loaded component. It keeps the class table and the
// module's instance handle, guards the one-time loading of type information with its critical
// section, and runs the clean-ups registered with it when the module terminates. The module's
// lock count is kept beside it (com/module_lock.h).
#pragma once

#include <cstddef>
#include <mutex>
#include <span>

#include "platform/win.h"

namespace swkv {

// One class the module serves. Its class object is made on the first request and kept, with one
// reference of the table's, until the module terminates.
struct ClassEntry {
  const CLSID* clsid;
  UINT registryScript;                                 // the script that registers the class
  HRESULT (*createClassObject)(IClassFactory** made);  // made with one reference, the table's
  IClassFactory* classObject;                          // null until the first request
};

class CModule {
 public:
  CModule() = default;
  CModule(const CModule&) = delete;
  CModule& operator=(const CModule&) = delete;

  // Start-up, when the library is loaded into a process.
  void Init(std::span<ClassEntry> classes, HINSTANCE instance) noexcept;
  // Exit, when it is unloaded: runs the clean-ups (the last registered first) and releases the
  // class objects. The module may be initialised again afterwards.
  void Term() noexcept;

  // The class object of a class of the table, asked for riid. CLASS_E_CLASSNOTAVAILABLE for a
  // class the module does not serve.
  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) noexcept;

  // Registers a clean-up to run at termination. False when no room is left for it.
  bool AddTermFunc(void (*func)(void* data), void* data) noexcept;

  std::mutex& critical_section() noexcept { return m_criticalSection; }
  HINSTANCE instance() const noexcept { return m_instance; }
  std::span<ClassEntry> classes() const noexcept { return m_classes; }

 private:
  struct TermFunc {
    void (*func)(void* data);
    void* data;
  };
  // One per interface whose type information is cached, with room to spare.
  static constexpr std::size_t kMaxTermFuncs = 16;

  std::mutex m_criticalSection;
  std::mutex m_termFuncsLock;  // registration happens while the critical section is held
  std::span<ClassEntry> m_classes;
  HINSTANCE m_instance = nullptr;
  TermFunc m_termFuncs[kMaxTermFuncs] = {};
  std::size_t m_termFuncCount = 0;
};

// The module object of this component.
CModule& Module() noexcept;

}  // namespace swkv
