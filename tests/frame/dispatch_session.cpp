// Component sessions replayed: each file in sessions/ is a list of calls a host, an installer, a
// script host or a client makes, each followed by what it gave, typed as lines of text: the
// component's entry points and class object, its registration and type library, names to dispatch
// ids and Invoke with arguments of every kind a caller passes. Each session runs against a
// component of its own; those named posix_* use what only our POSIX type information has.
//
// The commands of a component session, one per line. NAME is an object the session keeps:
//   register / unregister          the module's entry points; the status
//   class-object CLSID IID [NAME|-]
//                                  DllGetClassObject (CLSID main, eventlog, raidevent or IRiver);
//                                  "-": no place for the object
//   lock NAME 1|0                  the factory's LockServer
//   create NAME IID [NEW|-]        the factory's CreateInstance, kept as NEW
//   create-inner NAME IID [NEW|-]  the same inside the session's outer object ("outer")
//   outer IID NEW                  the outer object's QueryInterface, kept as NEW; its count
//   root                           "root" made as a host makes it, its link HBA1 "controller" and
//                                  that node's IEventLog "log"; then dir, get and cd over the
//                                  whole tree below it
//   release [NAME...|all] / same NAME NAME
//                                  objects let go (none), then whether the module may unload (and
//                                  once there is an inner object, the outer one's count); whether
//                                  two are one object
//   keys HKLM|HKCR KEY             the key and everything below it as swkvreg exports them, or
//                                  "<missing>"
//   reg-set HKLM|HKCR KEY NAME|@ TEXT
//   register-script TEXT           a registrar script of one line, registered
//   script TEXT                    a line of a registrar script (after a registrar run, the first
//                                  line of a new one)
//   registrar register|unregister [NAME=VALUE...]
//                                  the registrar run on the script, with these replacements
//   typelib MAJOR MINOR LCID       LoadRegTypeLib of the component's library: its name, help text,
//                                  version and types; then each class (main, eventlog, raidevent)
//                                  with its default interface and whether it implements another
//                                  after it
//   typelib-file SUFFIX|-nofile|-nolib [register]
//                                  LoadTypeLib of the module's path with SUFFIX (or of no path,
//                                  or into no place); "register": then RegisterTypeLib of the
//                                  library loaded (none when its load failed), its status shown
//   take TYPE VALUE...             POSIX: ITypeInfo::Invoke of a method of the test program's
//                                  own library that takes a value of TYPE (I1, UI1, ... UI8,
//                                  BSTR, UNKNOWN, DISPATCH), once per VALUE; take-null: the same
//                                  on no instance
//   typeinfo NAME INDEX [MEMBER [no-room]]
//                                  GetTypeInfoCount: the count; GetTypeInfo: the interface's
//                                  name, help text, id and flags, or the member's name and help
//                                  text, and its names (GetNames into room for four, or with no
//                                  place for them)
//   ids NAME WORD...               GetIDsOfNames of the words ("-names": no names, "-ids": no
//                                  room for the ids, "-none": a count of none; "-info": the
//                                  type information's own, a member's name then its parameters)
//   call NAME DISPID ARG...        IDispatch::Invoke of a method, the arguments given first
//                                  first ("named:1,0" first: these named ids, the arguments in
//                                  the order of the call's array)
//   call-argerr NAME DISPID ARG... the same with a place for the index of an argument in error
//   call-null NAME DISPID          the same with no arguments at all (a null DISPPARAMS)
// The arguments of call:
//   'TEXT' u:N ui8:N i8:N i4:N i2:N a text, a 32- and a 64-bit unsigned, a 64-, 32- and 16-bit
//   bool:N  unk:0  disp:0          integer, a VARIANT_BOOL, a null IUnknown or IDispatch
//   &buf:N                         the agent's text buffer of N characters, by reference
//   &bstr  &ulong  &unk            by reference: a null text, a number 0, a null object
//   &unk:null                      a null reference where an object goes
//   &var[:VALUE]                   a script variable by reference, empty or holding VALUE
//                                  ('TEXT', buf:N, i4:N, i2:N, or stale: empty with the bytes
//                                  of an earlier value)
// After the status each argument passed by reference shows what it holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frame/registrar.h"
#include "mxaraid/interfaces.h"
#include "platform/com_ptr.h"
#include "platform/reg_key.h"
#include "platform/text.h"
#include "tests/support/agent.h"
#include "tests/support/module_loader.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/replay.h"
#include "tools/swkvreg/registry_view.h"
#ifndef _WIN32
#include "platform/posix/typelib_resource.h"
#endif

namespace swkv::test {
namespace {

#ifndef _WIN32
// A library of the test program's own, POSIX only: for each type a method that takes one value
// of it, its id the type's number, for the conversions no method of the component's library takes.
constexpr std::pair<const char*, VARTYPE> kTakers[] = {
    {"I1", VT_I1},     {"UI1", VT_UI1}, {"I2", VT_I2}, {"UI2", VT_UI2},
    {"I4", VT_I4},     {"UI4", VT_UI4}, {"INT", VT_INT}, {"UINT", VT_UINT},
    {"I8", VT_I8},     {"UI8", VT_UI8}, {"BSTR", VT_BSTR}, {"UNKNOWN", VT_UNKNOWN},
    {"DISPATCH", VT_DISPATCH}};
SWKV_TLIB_PARAM g_takerParams[std::size(kTakers)];
SWKV_TLIB_FUNC g_takers[std::size(kTakers)];
const SWKV_TLIB_TYPE g_takerType{
    TKIND_DISPATCH, {0x7a4e5001, 0, 0, {}}, "ITakes", "", TYPEFLAG_FDUAL, 7, g_takers,
    std::size(kTakers), -1};
const SWKV_TLIB g_takerLibrary{{0x7a4e5002, 0, 0, {}}, "Takers", "", 1, 0, 0, 0, &g_takerType, 1};
const TypeLibResource g_takerResource(g_takerLibrary);
HRESULT Take(void*, VARIANTARG* const*) { return S_OK; }
#endif

using OleString = std::basic_string<OLECHAR>;

std::string Status(HRESULT status) { return "= " + StatusName(status) + "\n"; }

// A text as the caller finds it, with the room of its string; event records without their time.
std::string TextShown(BSTR text) {
  if (!text) return "null";
  return "\"" + WithoutTime(Narrow(text)) + "\" (room " + std::to_string(SysStringLen(text)) + ")";
}

OleString Ole(const std::string& text) { return OleString(text.begin(), text.end()); }

// The class and interface ids a session names.
constexpr std::pair<const char*, const GUID*> kIds[] = {
    {"main", &CLSID_SwkvRAID},       {"eventlog", &CLSID_EventLog},
    {"raidevent", &CLSID_RAIDEvent}, {"IUnknown", &IID_IUnknown},
    {"IRiver", &IID_IRiver},         {"IEventLog", &IID_IEventLog},
    {"IRAIDEvent", &IID_IRAIDEvent}, {"IClassFactory", &IID_IClassFactory},
    {"IEnumString", &IID_IEnumString}};

const GUID& Id(const std::string& name) {
  for (const auto& [text, id] : kIds)
    if (name == text) return *id;
  throw std::invalid_argument("no such id: " + name);
}

std::string IdName(const GUID& id) {
  for (const auto& [text, known] : kIds)
    if (IsEqualGUID(id, *known)) return text;
  return "another id";
}

// A type as the type library describes it: its id, kind, the types it implements, and its flags.
std::string TypeShown(ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return "no attributes";
  std::string out = IdName(attr->guid) + (attr->typekind == TKIND_COCLASS    ? " coclass"
                                          : attr->typekind == TKIND_DISPATCH ? " dispatch"
                                                                             : " another kind");
  out += ", implements " + std::to_string(attr->cImplTypes);
  // How many functions an interface counts differs: Windows counts those of IDispatch too.
  if (attr->typekind == TKIND_COCLASS) out += ", " + std::to_string(attr->cFuncs) + " functions";
  if (attr->wTypeFlags & TYPEFLAG_FDUAL) out += ", dual";
  if (attr->wTypeFlags & TYPEFLAG_FDISPATCHABLE) out += ", dispatchable";
  info->ReleaseTypeAttr(attr);
  // A dispatch interface's functions are called through Invoke, not its virtual table.
  FUNCDESC* f = nullptr;
  if (SUCCEEDED(info->GetFuncDesc(0, &f)) && f->funckind == FUNC_DISPATCH) out += ", by Invoke";
  if (f) info->ReleaseFuncDesc(f);
  return out;
}

// A class of a library: its help text, what it is, its default interface and whether it implements
// another after it.
std::string ClassShown(ITypeLib* library, const GUID& id) {
  ComPtr<ITypeInfo> coclass, iface;
  if (HRESULT status = library->GetTypeInfoOfGuid(id, coclass.put()); FAILED(status))
    return StatusName(status);
  UniqueBstr help;
  HREFTYPE reference = 0;
  INT flags = 0;
  coclass->GetDocumentation(MEMBERID_NIL, nullptr, help.put(), nullptr, nullptr);
  std::string out = "\"" + Narrow(help.get()) + "\" " + TypeShown(coclass.get());
  if (coclass->GetRefTypeOfImplType(0, &reference) != S_OK ||
      coclass->GetImplTypeFlags(0, &flags) != S_OK ||
      coclass->GetRefTypeInfo(reference, iface.put()) != S_OK)
    return out + "; no interface";
  out += ((flags & IMPLTYPEFLAG_FDEFAULT) ? "; default " : "; ") + TypeShown(iface.get());
  bool none = coclass->GetRefTypeOfImplType(1, &reference) && coclass->GetImplTypeFlags(1, &flags);
  return out + (none ? "; none after it" : "; more");
}

// A value as a script or a client passes it: 'TEXT', buf:N, a number (u:N, i8:N, i4:N, i2:N,
// bool:N), an interface pointer (unk:0, disp:0) or stale.
VARIANT Value(const std::string& word) {
  static const std::pair<const char*, VARTYPE> kNumbers[] = {
      {"u:", VT_UI4}, {"i8:", VT_I8},       {"i4:", VT_I4},        {"i2:", VT_I2},
      {"bool:", VT_BOOL}, {"unk:", VT_UNKNOWN}, {"disp:", VT_DISPATCH}, {"ui8:", VT_UI8}};
  VARIANT value;
  VariantInit(&value);
  const std::string number = word.substr(word.find(':') + 1);
  for (const auto& [prefix, type] : kNumbers)
    if (word.starts_with(prefix)) {
      value.vt = type;
      value.ullVal = std::stoull(number);  // the number's bytes are the first (little-endian)
      return value;
    }
  if (word.starts_with("'") || word.starts_with("buf:")) {
    value.vt = VT_BSTR;
    value.bstrVal = word.starts_with("'")
                        ? UniqueBstr::FromAnsi(word.substr(1, word.size() - 2)).release()
                        : UniqueBstr::Buffer(static_cast<UINT>(std::stoul(number))).release();
  } else if (word == "stale") {
    value.llVal = -1;
  } else if (!word.empty()) {
    throw std::invalid_argument("no such value: " + word);
  }
  return value;
}


// The key named and everything below it, as the registry viewer exports them.
std::string Keys(const std::string& name) {
  tools::KeyName key;
  std::ostringstream exported;
  if (!tools::ParseKeyName(name, key)) throw std::invalid_argument("not a key: " + name);
  if (tools::ExportKey(key, exported) != ERROR_SUCCESS) return "<missing>\n";
  // A session's output has no blank lines: the export's, before each key, go.
  std::string text;
  std::istringstream lines(exported.str());
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) text += line + "\n";
  return text;
}

// A component loaded as a host loads it, in a registry of its own where nothing is registered yet.
class DispatchSession {
 public:
  DispatchSession() {
    if (!m_module.LoadCopy(SWKV_COMPONENT_MODULE)) ADD_FAILURE() << m_module.error();
  }
  // Runs one command line (without its "> ") and returns what it printed, each line with its
  // line end.
  std::string Run(const std::string& line);

  class Arguments;

 private:
  // A command's words; a word the command needs that the line does not have is an error.
  struct Words : std::vector<std::string> {
    const std::string& operator[](std::size_t i) const { return at(i); }
  };
  std::string Do(const Words& words);
  // The objects kept by name (m_objects.at throws for a name never kept).
  IDispatch* Object(const std::string& name) const { return m_objects.at(name).dispatch; }
  ComPtr<IUnknown> Held(const std::string& name) const {
    if (name == "outer") return ComPtr<IUnknown>(const_cast<Outer*>(&m_outer));
    return m_objects.at(name).object;
  }
  // The object kept as name; calls reach it through dispatch (its IRiver when null).
  void Keep(const std::string& name, IUnknown* object, IDispatch* dispatch = nullptr) {
    if (!dispatch) dispatch = ComPtr<IUnknown>(object).As<IRiver>(IID_IRiver).get();
    m_objects[name] = {ComPtr<IUnknown>(object), dispatch};
  }
  // An object a call left: null, a node by its handle or an enumerator by its list.
  std::string Describe(IUnknown* object) {
    if (!object) return "null";
    if (ComPtr<IRiver> river = ComPtr<IUnknown>(object).As<IRiver>(IID_IRiver))
      return "node " + m_handles.Shown(Get(river.get(), "handle"));
    if (!ComPtr<IUnknown>(object).As<IEnumString>(IID_IEnumString))
      return "an object of another kind";
    std::string listed = "enumerator:";
    for (const std::string& entry : Entries(object))
      listed += " " + (entry.starts_with("handle@")
                           ? "handle@pr-@" + m_handles.Shown(entry.substr(11))
                           : entry);
    return listed;
  }
  std::string Invoke(const Words& words);
  std::string OuterCount() const {
    return "the outer object counts " + std::to_string(m_outer.refs) + " references\n";
  }
  // An entry point of the module; E_UNEXPECTED when the module could not be loaded.
  template <class... Args>
  HRESULT Call(const char* entry, Args... args) const {
    auto* function = m_module.Entry<HRESULT(Args...)>(entry);
    return function ? function(args...) : E_UNEXPECTED;
  }

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
  // A private copy of the module file, loaded from its own path: each session has a module of
  // its own (lock count, class object, type information), as a fresh process would.
  LoadedModule m_module;
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


// The arguments of one call, where the callee can write to them; freed after the call as their
// owner frees them.
class DispatchSession::Arguments {
 public:
  Arguments(const Words& words, std::size_t first) {
    if (first < words.size() && words[first].starts_with("named:")) {
      std::istringstream ids(words[first].substr(6));
      for (std::string id; std::getline(ids, id, ',');) m_named.push_back(std::stol(id));
      ++first;
    }
    for (std::size_t i = first; i < words.size(); ++i) Add(words[i]);
    for (Slot& slot : m_slots) m_array.push_back(slot.passed);
    if (m_named.empty()) std::reverse(m_array.begin(), m_array.end());
    m_params = DISPPARAMS{m_array.data(), m_named.empty() ? nullptr : m_named.data(),
                          static_cast<UINT>(m_array.size()), static_cast<UINT>(m_named.size())};
  }
  ~Arguments() {
    for (Slot& slot : m_slots) VariantClear(&slot.held);
  }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  DISPPARAMS* params() { return &m_params; }

  // What each argument passed by reference holds now, one line each: texts, objects as the
  // session describes them, and anything else as its type's number and its value (VT_EMPTY 0,
  // VT_I2 2, VT_I4 3, VT_UI4 19).
  std::string Shown(DispatchSession& session) {
    std::string out;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
      Slot& slot = m_slots[i];
      if (!slot.word.starts_with("&")) continue;
      out += "  [" + std::to_string(i + 1) + "] ";
      const VARIANT& v = slot.held;
      if (v.vt == VT_BSTR) out += "VT_BSTR " + TextShown(v.bstrVal);
      else if (v.vt == VT_DISPATCH) out += "VT_DISPATCH " + session.Describe(v.pdispVal);
      else if (v.vt == VT_UNKNOWN) out += "VT_UNKNOWN " + session.Describe(v.punkVal);
      else out += "vt " + std::to_string(v.vt) + " " + std::to_string(v.lVal);
      out += "\n";
    }
    return out;
  }

 private:
  struct Slot {
    std::string word;  // as typed
    VARIANT passed{};  // what goes into the call's array
    VARIANT held{};    // a value, the script variable or the place passed by reference
  };

  void Add(const std::string& typed) {
    Slot& slot = m_slots.emplace_back();
    VariantInit(&slot.held);
    VariantInit(&slot.passed);
    const std::string& word = slot.word = typed;
    const bool variable = word.starts_with("&var");
    if (!word.starts_with("&")) {
      slot.held = Value(word);
      slot.passed = slot.held;
      return;
    }
    if (variable) slot.held = Value(word.size() > 4 ? word.substr(5) : std::string());
    if (word.starts_with("&buf:")) slot.held = Value(word.substr(1));
    if (!variable)  // &buf:N, &bstr, &ulong, &unk or &unk:null
      slot.held.vt = word == "&ulong" ? VT_UI4 : word.starts_with("&unk") ? VT_UNKNOWN : VT_BSTR;
    // By reference: the script variable, or the place of a value of its type (every member of
    // the value's union starts at its first byte).
    void* place = variable ? static_cast<void*>(&slot.held) : &slot.held.llVal;
    slot.passed.vt = (variable ? VARTYPE{VT_VARIANT} : slot.held.vt) | VT_BYREF;
    slot.passed.byref = word == "&unk:null" ? nullptr : place;
  }

  std::deque<Slot> m_slots;
  std::vector<VARIANT> m_array;
  std::vector<DISPID> m_named;
  DISPPARAMS m_params{};
};

std::string DispatchSession::Run(const std::string& line) {
  if (line.starts_with("script ")) {  // the rest of the line as it is
    if (m_scriptRun) m_script.clear();
    m_scriptRun = false;
    m_script += line.substr(7) + "\n";
    return {};
  }
  if (line.starts_with("register-script ")) {  // a script of one line, registered at once
    m_script = line.substr(16) + "\n";
    m_scriptRun = true;
    return Status(CRegistrar().Register(m_script));
  }
  const Words words{{SplitWords(line)}};
  try {
    return words.empty() ? std::string() : Do(words);
  } catch (const std::exception& error) {
    return std::string("error: ") + error.what() + "\n";
  }
}

std::string DispatchSession::Invoke(const Words& words) {
  IDispatch* target = Object(words[1]);
  Arguments args(words, 3);
  EXCEPINFO exception{};
  UINT argErr = 99;
  const HRESULT status =
      target->Invoke(std::stol(words[2]), GUID_NULL, 0, DISPATCH_METHOD,
                     words[0] == "call-null" ? nullptr : args.params(), nullptr,
                     &exception, words[0] == "call-argerr" ? &argErr : nullptr);
  std::string out = Status(status);
  if (status == DISP_E_EXCEPTION) out += "  exception " + StatusName(exception.scode) + "\n";
  for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile})
    SysFreeString(text);
  if (argErr != 99) out += "  argument in error: " + std::to_string(argErr) + "\n";
  return out + args.Shown(*this);
}

std::string DispatchSession::Do(const Words& w) {
  const std::string& command = w[0];
  if (command == "register") return Status(Call("DllRegisterServer"));
  if (command == "unregister") return Status(Call("DllUnregisterServer"));
  if (command == "call" || command == "call-argerr" || command == "call-null") return Invoke(w);
  if (command == "root") {
    ComPtr<IClassFactory> factory;
    ComPtr<IRiver> root;
    if (Call<REFCLSID, REFIID, void**>("DllGetClassObject", CLSID_SwkvRAID, IID_IClassFactory,
                                       factory.put_void()) != S_OK ||
        factory->CreateInstance(nullptr, IID_IRiver, root.put_void()) != S_OK)
      return "no root\n";
    Keep("root", root.get());
    ComPtr<IRiver> controller = Cd(root.get(), "HBA1");
    if (!controller) return "no controller\n";
    Keep("controller", controller.get());
    ComPtr<IEventLog> log = controller.As<IEventLog>(IID_IEventLog);
    Keep("log", log.get(), log.get());
    // The whole tree below the root, as a host reads it: dir, get of every entry and cd into
    // every link.
    int nodes = 0, entries = 0;
    std::function<void(IRiver*)> walk = [&](IRiver* node) {
      ++nodes;
      for (const std::string& entry : Dir(node)) {
        const std::string name = entry.substr(0, entry.find('@'));
        ++entries;
        Get(node, name);
        if (entry.compare(name.size() + 1, 1, "o") == 0)
          if (ComPtr<IRiver> child = Cd(node, name)) walk(child.get());
      }
    };
    walk(root.get());
    return std::to_string(nodes) + " nodes, " + std::to_string(entries) + " entries\n";
  }
  if (command == "keys") return Keys(w[1] + "\\" + w[2]);
  if (command == "reg-set") {
    const HKEY hive = w[1] == "HKCR" ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
    SetString(hive, w[2], w[3] == "@" ? nullptr : w[3].c_str(), w[4]);
    return {};
  }
  if (command == "outer") {
    ComPtr<IUnknown> object;
    const HRESULT status = m_outer.QueryInterface(Id(w[1]), object.put_void());
    if (status == S_OK) Keep(w[2], object.get());
    object.reset();  // only the kept reference counts
    return Status(status) + OuterCount();
  }
  if (command == "release") {
    for (std::size_t i = 1; i < w.size(); ++i)
      w[i] == "all" ? m_objects.clear() : (void)m_objects.erase(w[i]);
    return "can-unload " + Status(Call("DllCanUnloadNow")) + (m_outer.inner ? OuterCount() : "");
  }
  if (command == "registrar") {
    CRegistrar registrar;
    for (std::size_t i = 2; i < w.size(); ++i)
      registrar.AddReplacement(w[i].substr(0, w[i].find('=')), w[i].substr(w[i].find('=') + 1));
    m_scriptRun = true;
    return Status(w[1] == "register" ? registrar.Register(m_script) : registrar.Unregister(m_script));
  }
  if (command == "typelib" || command == "typelib-file") {
    m_library.reset();
    HRESULT status;
    std::string registered;
    if (command == "typelib-file") {
      auto file = Ole(m_module.path() + (w[1][0] == '-' ? "" : w[1]));
      status = LoadTypeLib(w[1] == "-nofile" ? nullptr : file.c_str(),
                           w[1] == "-nolib" ? nullptr : m_library.put());
      if (w.size() > 2)  // registered, whatever the load gave
        registered =
            ", registered " + StatusName(RegisterTypeLib(m_library.get(), file.data(), nullptr));
    } else {
      status = LoadRegTypeLib(LIBID_MXARAIDLib, static_cast<WORD>(std::stoul(w[1])),
                              static_cast<WORD>(std::stoul(w[2])),
                              static_cast<LCID>(std::stoul(w[3], nullptr, 0)), m_library.put());
    }
    std::string out = "= " + StatusName(status) + registered;
    TLIBATTR* attr = nullptr;
    UniqueBstr name, help;
    // The name and the help text asked for one at a time, as a client may.
    if (!m_library || m_library->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr) ||
        m_library->GetDocumentation(-1, nullptr, help.put(), nullptr, nullptr) ||
        m_library->GetLibAttr(&attr))
      return out + (m_library ? " (not described)\n" : " (no library)\n");
    out += " " + Narrow(name.get()) + " \"" + Narrow(help.get()) + "\" " +
           std::to_string(attr->wMajorVerNum) + "." + std::to_string(attr->wMinorVerNum);
    m_library->ReleaseTLibAttr(attr);
    // The library's types by index, as its documentation names them.
    for (UINT i = 0; i < m_library->GetTypeInfoCount(); ++i) {
      UniqueBstr type;
      m_library->GetDocumentation(static_cast<INT>(i), type.put(), nullptr, nullptr, nullptr);
      out += (i ? " " : "; ") + Narrow(type.get());
    }
    for (const char* coclass : {"main", "eventlog", "raidevent"})
      out += "\n  " + ClassShown(m_library.get(), Id(coclass));
    return out + "\n";
  }
#ifndef _WIN32  // only the POSIX build has a library of its own
  if (command == "take" || command == "take-null") {
    for (std::size_t i = 0; i < std::size(kTakers); ++i) {
      g_takerParams[i] = {kTakers[i].first, kTakers[i].second, PARAMFLAG_FIN};
      g_takers[i] = {kTakers[i].first, "", kTakers[i].second, &g_takerParams[i], 1, &Take};
    }
    ComPtr<ITypeLib> library;
    ComPtr<ITypeInfo> info;
    HRESULT status = LoadTypeLib(Ole("/proc/self/exe").c_str(), library.put());
    if (SUCCEEDED(status)) status = library->GetTypeInfoOfGuid(g_takerType.guid, info.put());
    if (FAILED(status)) return Status(status);
    MEMBERID taker = MEMBERID_NIL;
    for (const auto& [name, type] : kTakers)
      if (w[1] == name) taker = type;
    std::string out;
    for (std::size_t i = 2; i < w.size(); ++i) {
      Arguments args(Words{{w[i]}}, 0);
      out += (i > 2 ? ", " : "") + w[i] + " " +
             StatusName(info->Invoke(command == "take" ? &taker : nullptr, taker, DISPATCH_METHOD,
                                     args.params(), nullptr, nullptr, nullptr));
    }
    return out + "\n";
  }
#endif
  if (command == "class-object" || command == "create" || command == "create-inner") {
    // "-" for no place: out stays null then, and a failure that leaves the place as it was (0x1)
    // shows.
    void* out = w.size() > 3 && w[3] == "-" ? nullptr : reinterpret_cast<void*>(0x1);
    void** place = out ? &out : nullptr;
    const HRESULT status =
        command == "class-object"
            ? Call<REFCLSID, REFIID, void**>("DllGetClassObject", Id(w[1]), Id(w[2]), place)
            : Held(w[1]).As<IClassFactory>(IID_IClassFactory)
                  ->CreateInstance(command == "create" ? nullptr : &m_outer, Id(w[2]), place);
    if (status == S_OK) {
      auto object = ComPtr<IUnknown>::Attach(static_cast<IUnknown*>(out));
      if (command == "create-inner") m_outer.inner = object.get();
      if (w.size() > 3) Keep(w[3], object.get());
    }
    return "= " + StatusName(status) + (status != S_OK && out ? " (the place left as it was)" : "") +
           "\n";
  }
  if (command == "lock")
    return Status(Held(w[1]).As<IClassFactory>(IID_IClassFactory)->LockServer(w[2] == "1"));
  if (command == "same") {
    const bool same = Held(w[1]).As<IUnknown>(IID_IUnknown).get() ==
                      Held(w[2]).As<IUnknown>(IID_IUnknown).get();
    return same ? "the same object\n" : "different objects\n";
  }
  IDispatch* target = Object(w[1]);
  if (command == "typeinfo") {
    ITypeInfo* raw = reinterpret_cast<ITypeInfo*>(0x1);
    const HRESULT status = target->GetTypeInfo(static_cast<UINT>(std::stoul(w[2])), 0, &raw);
    UINT infos = 99;
    const HRESULT counted = target->GetTypeInfoCount(&infos);
    std::string out = "count " + StatusName(counted) + " " + std::to_string(infos) + ", = " +
                      StatusName(status);
    if (FAILED(status))
      return out + (raw ? " (the caller's pointer left as it was)\n" : " (no type information)\n");
    auto info = ComPtr<ITypeInfo>::Attach(raw);
    UniqueBstr name, help;
    const MEMBERID member = w.size() > 3 ? std::stol(w[3]) : MEMBERID_NIL;
    HRESULT documented = info->GetDocumentation(member, name.put(), help.put(), nullptr, nullptr);
    out += "\n  " + StatusName(documented) + " " + Narrow(name.get()) + " \"" + Narrow(help.get()) +
           "\"";
    if (member == MEMBERID_NIL) return out + "; " + TypeShown(info.get()) + "\n";
    BSTR names[4] = {};
    UINT count = 99;
    const HRESULT named = info->GetNames(member, w.size() > 4 ? nullptr : names, 4, &count);
    out += "\n  names " + StatusName(named) + " " + std::to_string(count);
    for (UINT i = 0; i < count && i < 4 && names[i]; ++i) out += " " + Narrow(names[i]);
    for (BSTR text : names) SysFreeString(text);
    return out + "\n";
  }
  if (command == "ids") {
    auto has = [&](const char* flag) { return std::find(w.begin(), w.end(), flag) != w.end(); };
    std::vector<OleString> names;
    for (std::size_t i = 2; i < w.size(); ++i)
      if (w[i][0] != '-') names.push_back(Ole(w[i]));
    std::vector<LPOLESTR> pointers;
    for (OleString& name : names) pointers.push_back(name.data());
    std::vector<DISPID> ids(std::max<std::size_t>(names.size(), 1), -99);
    LPOLESTR* given = has("-names") ? nullptr : pointers.data();
    const UINT count = has("-none") ? 0 : static_cast<UINT>(ids.size());
    ComPtr<ITypeInfo> info;
    if (has("-info")) target->GetTypeInfo(0, 0, info.put());
    DISPID* into = has("-ids") ? nullptr : ids.data();
    const HRESULT status = has("-info") ? info->GetIDsOfNames(given, count, into)
                                        : target->GetIDsOfNames(GUID_NULL, given, count, 0, into);
    std::string out = "= " + StatusName(status);
    for (DISPID id : ids) out += " " + std::to_string(id);
    return out + "\n";
  }
  throw std::invalid_argument("no such command: " + command);
}


SWKV_SESSION_TESTS(DispatchSessionTest, DispatchSession,
                   std::string(SWKV_TESTS_DIR) + "/frame/sessions");

}  // namespace
}  // namespace swkv::test
