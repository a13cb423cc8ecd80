// Fuzz target: sequences of the agent's calls on a live tree, through the component's class
// object the way the agent reaches it: the module's class table gives the class factory
// (DllGetClassObject), CreateInstance the root's IRiver, and from there only IRiver, IEnumString,
// IEventLog, the connection points and IUnknown.
//
// Input: byte 0 picks the controllers (the default scenario, or a small one whose activities
// end within seconds); then each group of bytes is one operation, its first byte the opcode:
//
//   cd k          step down the k-th child link (0xFE: a null name, 0xFF: "..")
//   up            back to the node stepped down from
//   dir p         list the node: p gives the entries per Next, the buffer length, a Reset and
//                 Skip first (or neither) and a Clone
//   get k n       read the k-th entry into a buffer of 2n characters (0: null buffer;
//                 k 0xFF: a null name)
//   set k L v     write the k-th entry with the L bytes v
//   invoke k L v  run the k-th action of the node with the argument v, in which "$d", "$a" or
//                 "$c" and a digit j stand for the handle number of the j-th disk, array or
//                 controller at or below the node ("$D", "$A", "$C": in the whole trees), since
//                 handle numbers differ from run to run
//   refresh
//   pass n        n/4 seconds pass on both clocks, then a polling pass
//   ref q         QueryInterface for one of several interfaces, AddRef/Release pairs, and the
//                 rule that IUnknown is always the same pointer
//   advise f      subscribe a sink to the node; f: when notified the sink releases the held
//                 nodes, unadvises itself, reads or refreshes the node, or releases the roots
//   unadvise k    end the k-th subscription (0xFF: a cookie that was never given)
//   keep k        hold the node in slot k (up to 8 held handles)
//   take k        continue from the node held in slot k, which may have left the tree
//   log e         the node's IEventLog, when it has one: the count, reads, clearing
//   happen w      a disk of a controller fails, is pulled or put back
//   create s      a new main class object in slot s (the old one released)
//   drop s        release the root in slot s and continue from a held node
//   lock b        the class factory's LockServer, or the class object asked for again
//   root          back to a root
//
// After the sequence everything is released; then no node, enumerator or lock may be left
// (DllCanUnloadNow) and every sink must have been released.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "com/module.h"
#include "com/module_lock.h"
#include "mxaraid/event_sink.h"
#include "fuzz/fuzz_host.h"
#include "platform/module/module_entry.h"
#include "platform/module_instance.h"
#include "events/polled_nodes.h"

namespace {

using swkv::ComPtr;
using swkv::UniqueBstr;
namespace fuzz = swkv::fuzz;

// Two controllers whose activities take four seconds, with free disks, hot spares on the
// first, a converting array and a paused rebuild, bays and a battery.
constexpr const char* kQuickScenario = R"({"controllers":[
 {"activitySeconds":4,"settings":{"hotSpares":1},"disks":[
   {"disk":0,"model":"Kestrel KD-80A","sectors":1000000},
   {"disk":1,"model":"Kestrel KD-80A","sectors":1000000},
   {"disk":2,"model":"Kestrel KD-80A","sectors":1000000},
   {"disk":3,"model":"Osprey OS-120","sectors":2000000},
   {"disk":4,"model":"Osprey OS-120","sectors":2000000},
   {"disk":5,"model":"Osprey OS-120","sectors":2000000},
   {"disk":6,"model":"Heron H-60","sectors":3000000}],
  "arrays":[{"name":"Mirror","mode":"mirroring","members":[0,1]},
            {"name":"Grow","mode":"striping","members":[3,4,5],
             "task":{"kind":"convert","targetMode":"distributed-parity","originalCount":2,
                     "progress":50}}],
  "bays":[{"channel":0,"type":"quickbay","fan":4000,"temperature":35,"power5V":1,"power12V":1},
          {"channel":1,"type":"plain"}],
  "battery":{"chargeStatus":3,"cycles":2}},
 {"activitySeconds":4,"settings":{"hotSpares":0},"disks":[
   {"disk":0,"model":"Heron H-60"},{"disk":1,"model":"Heron H-60"},
   {"disk":2,"model":"Heron H-60"},{"disk":3,"model":"Heron H-60","state":"failed"}],
  "arrays":[{"name":"Ledger","mode":"parity","members":[0,1,2],"rebuildTarget":2,
             "task":{"kind":"rebuild","progress":20,"paused":true}}]}],
 "timeline":[{"at":3,"controller":1,"disk":1,"do":"fail"},
             {"at":9,"disk":6,"do":"pull"},{"at":12,"disk":6,"do":"insert"}]})";

// The simulated library's own default scenario, read from the sources once.
const std::string& DefaultScenario() {
  static const std::string text = [] {
    std::ifstream in(SWKV_DEFAULT_SCENARIO_FILE, std::ios::binary);
    std::string read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (read.empty()) std::abort();
    return read;
  }();
  return text;
}

constexpr std::size_t kMaxOperations = 256;
constexpr std::size_t kKeptSlots = 8;

// The module's entry points, as the platform's loader would reach them.
HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  return swkv::Module().GetClassObject(clsid, iid, ppv);
}
HRESULT CanUnloadNow() { return swkv::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

// The input, read one byte at a time; zeros once it is used up.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  bool empty() const { return m_next >= m_size; }
  std::uint8_t Byte() { return m_next < m_size ? m_data[m_next++] : 0; }
  std::string Text() {
    std::size_t length = Byte();
    std::string text;
    while (length-- > 0 && !empty()) text += static_cast<char>(Byte());
    return text;
  }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_next = 0;
};

class Session;

// The agent's sink. What it does when notified is set when it is advised.
class Sink final : public swkv::CEventSink {
 public:
  enum : std::uint8_t {
    kReleaseKept = 1,
    kUnadviseSelf = 2,
    kReadNode = 4,
    kRefreshNode = 8,  // not again from inside a notification it caused
    kDropRoots = 16
  };

  static int& Live() {
    static int live = 0;
    return live;
  }

  Sink(Session& session, std::uint8_t flags, IRiver* node)
      : m_session(session), m_flags(flags), m_node(node) {
    ++Live();
  }

  HRESULT STDMETHODCALLTYPE RAIDNotification(ULONG code) override;

  // The subscription, for unadvising itself.
  void Subscribed(IConnectionPoint* point, DWORD cookie) {
    m_point = point;
    m_cookie = cookie;
  }

 private:
  ~Sink() override { --Live(); }

  Session& m_session;
  std::uint8_t m_flags;
  // The node it was advised on: alive while it notifies (a node notifies only while it lives).
  IRiver* m_node;
  // Not held: the point lives inside the node, and a held reference would keep the node alive.
  IConnectionPoint* m_point = nullptr;
  DWORD m_cookie = 0;
  bool m_refreshing = false;
};

class Session {
 public:
  explicit Session(Input& input) : m_input(input) {}

  bool Start() {
    if (GetClassObject(swkv::CLSID_SwkvRAID, IID_IClassFactory, m_factory.put_void()) != S_OK ||
        !m_factory)
      return false;
    Create(0);
    return m_path.size() == 1;
  }

  void Run() {
    for (std::size_t i = 0; i < kMaxOperations && !m_input.empty(); ++i) Step(m_input.Byte());
  }

  // Everything the agent holds, given back.
  void Release() {
    m_subscriptions.clear();
    m_path.clear();
    for (auto& kept : m_kept) kept.reset();
    for (auto& root : m_roots) root.reset();
    for (; m_serverLocks > 0; --m_serverLocks) m_factory->LockServer(FALSE);
    m_factory.reset();
  }

  void ReleaseKept() {
    for (auto& kept : m_kept) kept.reset();
  }
  // The roots are let go; the nodes stepped into and those held stay.
  void DropRoots() {
    for (auto& root : m_roots) root.reset();
  }

 private:
  struct Subscription {
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
  };

  IRiver* Current() const { return m_path.back().get(); }

  std::vector<fuzz::DirEntry> Entries(IRiver* node) const {
    std::vector<fuzz::DirEntry> entries;
    fuzz::ForEachEntry(node, [&](const fuzz::DirEntry& entry) { entries.push_back(entry); });
    return entries;
  }

  // The k-th entry of the node that passes the filter; null when none does.
  template <class Filter>
  static const fuzz::DirEntry* Pick(const std::vector<fuzz::DirEntry>& entries, std::uint8_t k,
                                    Filter filter) {
    std::vector<const fuzz::DirEntry*> matching;
    for (const auto& entry : entries)
      if (filter(entry)) matching.push_back(&entry);
    return matching.empty() ? nullptr : matching[k % matching.size()];
  }

  void Create(std::uint8_t slot) {
    ComPtr<IRiver>& root = m_roots[slot % m_roots.size()];
    root.reset();
    if (m_factory->CreateInstance(nullptr, swkv::IID_IRiver, root.put_void()) != S_OK || !root)
      std::abort();  // the simulated controllers are there and memory is plentiful
    m_path.assign(1, root);
  }

  // Handle numbers of the nodes of a kind (28 disk, 25 array, 26 controller) at and below the
  // node, in tree order.
  void CollectHandles(IRiver* node, std::string_view kind, std::vector<std::string>& out,
                      int depth) const {
    const std::string handle = fuzz::Get(node, "handle");
    const std::size_t semicolon = handle.find(';');
    if (semicolon != std::string::npos && handle.substr(semicolon + 1) == kind)
      out.push_back(handle.substr(0, semicolon));
    if (depth >= 4) return;
    for (const auto& entry : Entries(node))
      if (entry.IsChild())
        if (ComPtr<IRiver> child = fuzz::Cd(node, entry.name))
          CollectHandles(child.get(), kind, out, depth + 1);
  }

  // "$d", "$a", "$c" and a digit: a handle number from the current node's subtree; "$D", "$A",
  // "$C": from the whole trees.
  std::string Substitute(const std::string& text) const {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char* kind = nullptr;
      const char letter = i + 2 < text.size() ? text[i + 1] : '\0';
      if (text[i] == '$' && letter && text[i + 2] >= '0' && text[i + 2] <= '9') {
        if (letter == 'd' || letter == 'D') kind = "28";
        if (letter == 'a' || letter == 'A') kind = "25";
        if (letter == 'c' || letter == 'C') kind = "26";
      }
      std::vector<std::string> handles;
      if (kind && letter >= 'a') CollectHandles(Current(), kind, handles, 0);
      if (kind && letter < 'a')
        for (ComPtr<IRiver> root : m_roots)  // held: a sink may let the roots go meanwhile
          if (root) CollectHandles(root.get(), kind, handles, 0);
      if (handles.empty()) {
        out += text[i];
        continue;
      }
      out += handles[static_cast<std::size_t>(text[i + 2] - '0') % handles.size()];
      i += 2;
    }
    return out;
  }

  void Step(std::uint8_t opcode) {
    switch (opcode % 20) {
      case 0: StepDown(m_input.Byte()); break;
      case 1:
        if (m_path.size() > 1) m_path.pop_back();
        break;
      case 2: List(m_input.Byte()); break;
      case 3: {
        std::uint8_t k = m_input.Byte();
        Read(k, m_input.Byte());
        break;
      }
      case 4: {
        std::uint8_t k = m_input.Byte();
        Write(k, m_input.Text());
        break;
      }
      case 5: {
        std::uint8_t k = m_input.Byte();
        Act(k, m_input.Text());
        break;
      }
      case 6:
        if (FAILED(Current()->refresh())) std::abort();
        break;
      case 7: fuzz::PassAfter(std::uint64_t{m_input.Byte()} * 250); break;
      case 8: References(m_input.Byte()); break;
      case 9: Advise(m_input.Byte()); break;
      case 10: Unadvise(m_input.Byte()); break;
      case 11: m_kept[m_input.Byte() % kKeptSlots] = m_path.back(); break;
      case 12: Take(m_input.Byte()); break;
      case 13: EventLog(m_input.Byte()); break;
      case 14: Happen(m_input.Byte()); break;
      case 15: Create(m_input.Byte()); break;
      case 16: Drop(m_input.Byte()); break;
      case 17: Lock(m_input.Byte()); break;
      case 18:
        for (const auto& root : m_roots)
          if (root) {
            m_path.assign(1, root);
            break;
          }
        break;
      case 19: Read(m_input.Byte(), 255); break;
    }
  }

  void StepDown(std::uint8_t k) {
    ComPtr<IUnknown> child;
    HRESULT hr;
    if (k == 0xFE || k == 0xFF) {
      UniqueBstr name = k == 0xFF ? UniqueBstr::FromAnsi("..") : UniqueBstr();
      hr = Current()->cd(name.get(), child.put());
    } else {
      const auto entries = Entries(Current());
      const fuzz::DirEntry* link = Pick(entries, k, [](const auto& e) { return e.IsChild(); });
      if (!link) return;
      UniqueBstr name = UniqueBstr::FromAnsi(link->name);
      hr = Current()->cd(name.get(), child.put());
      if (hr != S_OK || !child) std::abort();  // a link dir just listed
    }
    if (hr != S_OK || !child) return;
    ComPtr<IRiver> river = child.As<IRiver>(swkv::IID_IRiver);
    if (!river) std::abort();
    m_path.push_back(river);
  }

  void List(std::uint8_t p) {
    ComPtr<IUnknown> unknown;
    if (Current()->dir(unknown.put()) != S_OK || !unknown) std::abort();
    ComPtr<IEnumString> enumerator = unknown.As<IEnumString>(IID_IEnumString);
    if (!enumerator) std::abort();
    // 3: no Reset first (the enumerator then gives nothing); else Reset, then Skip that many.
    if ((p & 0x03) != 3) {
      enumerator->Reset();
      enumerator->Skip(p & 0x03);
    }
    if (p & 0x80) {
      ComPtr<IEnumString> clone;
      if (enumerator->Clone(clone.put()) == S_OK && clone) enumerator = clone;
    }
    const ULONG count = 1 + ((p >> 2) & 0x07);
    const UINT length = (p & 0x60) == 0x60 ? 0 : 1u << ((p >> 5) & 0x03) * 3;  // 1, 8, 64
    for (int guard = 0; guard < 64; ++guard) {
      std::array<UniqueBstr, 8> buffers;
      std::array<LPOLESTR, 8> elements{};
      for (ULONG i = 0; i < count; ++i) {
        buffers[i] = UniqueBstr::Buffer(length);
        elements[i] = buffers[i].get();
      }
      ULONG fetched = 0xFFFF;
      HRESULT hr = enumerator->Next(count, elements.data(), &fetched);
      if (fetched > count) std::abort();
      if (hr != S_OK) break;
    }
  }

  void Read(std::uint8_t k, std::uint8_t n) {
    const UINT length = UINT{n} * 2;
    if (k == 0xFF) {
      (void)fuzz::Get(Current(), static_cast<BSTR>(nullptr), length);
      return;
    }
    const auto entries = Entries(Current());
    const fuzz::DirEntry* entry = Pick(entries, k, [](const auto&) { return true; });
    if (entry) (void)fuzz::Get(Current(), entry->name, length);
  }

  void Write(std::uint8_t k, const std::string& value) {
    const auto entries = Entries(Current());
    const fuzz::DirEntry* entry = Pick(entries, k, [](const auto&) { return true; });
    if (!entry) return;
    UniqueBstr name = UniqueBstr::FromAnsi(entry->name);
    UniqueBstr text = UniqueBstr::FromAnsi(value);
    HRESULT hr = Current()->set(name.get(), text.get(), 0);
    if (hr != S_OK && hr != S_FALSE && hr != E_OUTOFMEMORY) std::abort();
    // A writable property keeps what was written (the node is not touched in between); texts
    // of printable ASCII read back as they were.
    bool plain = value.size() < 200;
    for (char c : value) plain = plain && c >= 0x20 && c < 0x7F;
    if (hr == S_OK && entry->access == "prw" && plain &&
        fuzz::Get(Current(), entry->name, 512) != value)
      std::abort();
  }

  void Act(std::uint8_t k, const std::string& argument) {
    const auto entries = Entries(Current());
    const fuzz::DirEntry* action = Pick(entries, k, [](const auto& e) { return e.IsAction(); });
    if (!action) return;
    UniqueBstr name = UniqueBstr::FromAnsi(action->name);
    UniqueBstr text = UniqueBstr::FromAnsi(Substitute(argument));
    // invoke reports only whether the action exists.
    if (Current()->invoke(name.get(), text.get()) != S_OK) std::abort();
  }

  void References(std::uint8_t q) {
    static const IID* const kInterfaces[] = {
        &IID_IUnknown,           &swkv::IID_IRiver,         &IID_IDispatch,
        &IID_IConnectionPointContainer, &swkv::IID_IEventLog, &IID_IEnumString,
        &IID_IClassFactory,      &IID_IConnectionPoint};
    IRiver* node = Current();
    ComPtr<IUnknown> asked;
    HRESULT hr = node->QueryInterface(*kInterfaces[q & 7], asked.put_void());
    if ((hr == S_OK) != static_cast<bool>(asked)) std::abort();
    const int pairs = (q >> 3) & 3;
    for (int i = 0; i < pairs; ++i) node->AddRef();
    for (int i = 0; i < pairs; ++i) node->Release();
    // One identity: IUnknown from any of its interfaces is the same pointer.
    ComPtr<IUnknown> first, second;
    node->QueryInterface(IID_IUnknown, first.put_void());
    if (asked) asked->QueryInterface(IID_IUnknown, second.put_void());
    if (!first || (asked && first.get() != second.get())) std::abort();
    if (q & 0x20) {
      ComPtr<IConnectionPointContainer> container =
          ComPtr<IUnknown>(node).As<IConnectionPointContainer>(IID_IConnectionPointContainer);
      ComPtr<IEnumConnectionPoints> points;
      if (container && container->EnumConnectionPoints(points.put()) == S_OK && points) {
        IConnectionPoint* point = nullptr;
        ULONG fetched = 0;
        while (points->Next(1, &point, &fetched) == S_OK && fetched == 1) {
          ComPtr<IConnectionPoint> held = ComPtr<IConnectionPoint>::Attach(point);
          ComPtr<IEnumConnections> connections;
          if (held->EnumConnections(connections.put()) == S_OK && connections) {
            CONNECTDATA data{};
            while (connections->Next(1, &data, &fetched) == S_OK && fetched == 1)
              if (data.pUnk) data.pUnk->Release();
          }
        }
      }
    }
  }

  void Advise(std::uint8_t flags) {
    ComPtr<IConnectionPointContainer> container =
        ComPtr<IUnknown>(Current()).As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    if (!container) return;
    ComPtr<IConnectionPoint> point;
    if (container->FindConnectionPoint(swkv::IID_IRAIDEvent, point.put()) != S_OK || !point)
      return;
    ComPtr<Sink> sink(new Sink(*this, flags, Current()));
    DWORD cookie = 0;
    if (point->Advise(sink.get(), &cookie) != S_OK) return;
    if (cookie == 0) std::abort();
    for (const auto& s : m_subscriptions)
      if (s.point.get() == point.get() && s.cookie == cookie) std::abort();  // unique cookies
    sink->Subscribed(point.get(), cookie);
    m_subscriptions.push_back({point, cookie});
  }

  void Unadvise(std::uint8_t k) {
    if (m_subscriptions.empty()) return;
    Subscription& s = m_subscriptions[k % m_subscriptions.size()];
    if (k == 0xFF) {
      if (s.point->Unadvise(0) == S_OK || s.point->Unadvise(0xFFFFFFF0u) == S_OK) std::abort();
      return;
    }
    s.point->Unadvise(s.cookie);  // may have been ended by the sink itself
    m_subscriptions.erase(m_subscriptions.begin() + static_cast<std::ptrdiff_t>(k % m_subscriptions.size()));
  }

  void Take(std::uint8_t k) {
    const ComPtr<IRiver>& kept = m_kept[k % kKeptSlots];
    if (kept) m_path.assign(1, kept);
  }

  void EventLog(std::uint8_t e) {
    ComPtr<IEventLog> log = ComPtr<IRiver>(Current()).As<IEventLog>(swkv::IID_IEventLog);
    if (!log) return;
    ULONG count = 0;
    if (log->GetNewCount(&count) != S_OK) std::abort();
    for (int i = 0; i < ((e >> 1) & 0x1F); ++i) {
      BSTR record = nullptr;
      ULONG size = 0;
      HRESULT hr = log->ReadEventLog(&record, (e & 0x40) ? nullptr : &size);
      UniqueBstr owned(record);
      if (hr != S_OK && record) std::abort();
      if (hr != S_OK) break;
    }
    if (e & 1) log->ClearLog();
  }

  void Happen(std::uint8_t w) {
    static const char* const kWhat[] = {"fail", "pull", "insert"};
    std::string json = R"({"controller":)" + std::to_string(w & 1) + R"(,"disk":)" +
                       std::to_string((w >> 1) & 7) + R"(,"do":")" + kWhat[(w >> 4) % 3] + "\"}";
    simApply(json.c_str());
  }

  void Drop(std::uint8_t s) {
    m_roots[s % m_roots.size()].reset();
    for (const auto& kept : m_kept)
      if (kept) {
        m_path.assign(1, kept);
        return;
      }
    Create(s);
  }

  void Lock(std::uint8_t b) {
    switch (b % 3) {
      case 0:
        if (m_factory->LockServer(TRUE) == S_OK) ++m_serverLocks;
        break;
      case 1:
        if (m_serverLocks > 0 && m_factory->LockServer(FALSE) == S_OK) --m_serverLocks;
        break;
      case 2: {
        ComPtr<IClassFactory> again;
        if (GetClassObject(swkv::CLSID_SwkvRAID, IID_IClassFactory, again.put_void()) != S_OK ||
            again.get() != m_factory.get())
          std::abort();  // the class table keeps one class object
        break;
      }
    }
  }

  Input& m_input;
  ComPtr<IClassFactory> m_factory;
  int m_serverLocks = 0;
  std::array<ComPtr<IRiver>, 2> m_roots;
  std::vector<ComPtr<IRiver>> m_path;  // the root or a held node, then the nodes stepped into
  std::array<ComPtr<IRiver>, kKeptSlots> m_kept;
  std::vector<Subscription> m_subscriptions;
};

HRESULT Sink::RAIDNotification(ULONG code) {
  if (code != swkv::kNotifyChanged && code != swkv::kNotifyDeleted) std::abort();
  if (m_flags & kReadNode) (void)fuzz::Get(m_node, "Status", 16);
  if ((m_flags & kUnadviseSelf) && m_point) {
    IConnectionPoint* point = std::exchange(m_point, nullptr);
    point->Unadvise(m_cookie);  // may release this sink; nothing of it is used afterwards
    return S_OK;
  }
  if ((m_flags & kRefreshNode) && !m_refreshing) {
    m_refreshing = true;
    m_node->refresh();
    m_refreshing = false;
  }
  if (m_flags & kReleaseKept) m_session.ReleaseKept();
  if (m_flags & kDropRoots) m_session.DropRoots();
  return S_OK;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool attached = [] {
    fuzz::PrepareProcess();
    swkv::ModuleAttach(swkv::ModuleInstance());
    return true;
  }();
  (void)attached;
  if (size == 0) return 0;
  Input input(data, size);
  const bool quick = input.Byte() & 1;
  fuzz::ResetProcessState();
  if (simLoadScenarioText(quick ? kQuickScenario : DefaultScenario().c_str()) != 0) std::abort();
  {
    Session session(input);
    if (!session.Start()) std::abort();
    session.Run();
    session.Release();
  }
  if (CanUnloadNow() != S_OK || Sink::Live() != 0 || !swkv::ArrayNodeList().empty() ||
      !swkv::ControllerNodeList().empty())
    std::abort();
  return 0;
}
