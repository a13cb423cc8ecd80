// Sessions of the node framework, as the agent uses a node through IRiver, its dir enumerator
// and its connection point, and as node classes build their entries and links: each file in
// sessions/ is a list of commands over test nodes, each followed by what it gave. The commands:
//   node NAME [KIND]               a test node without parent, held by the session
//   child NAME PARENT [KIND]       a test node linked under PARENT by its name, the link its only
//                                  reference
//   blank NAME                     a node never initialised, held by the session
//   link PARENT NODE [AS]          AddChild (under the node's own name unless AS): 1 or 0
//   put NODE [NAME FLAGS VALUE]... entries stored in turn (FLAGS a number: 0x1 property,
//                                  0x2 read, 0x4 write, 0x8 volatile, 0x100 action, 0x10000 link)
//   remove NODE NAME [OWNER]       RemoveChild of the drop NAME of OWNER (NODE's own by default)
//   dir NODE                       the dir listing as the agent reads it
//   get NODE NAME [ROOM|null]      get into an agent buffer of ROOM characters (64), which held
//                                  '#' before (with ROOM: how many after the zero still do);
//                                  "null": the agent passes no buffer
//   set NODE NAME VALUE / invoke NODE NAME [ARGUMENT...]
//                                  the status; "null" passes a null text, "" is an empty word
//   cd NEW NODE NAME               the child the agent gets, kept as NEW
//   find NODE NAME...              GetChild of each name: the child linked there or none
//   enum E NODE                    a dir enumerator kept as E, shown by its number among the
//                                  objects seen ("again": one handed out before; the number
//                                  goes by address, which an object deleted may pass on)
//   walk E STEP...                 the enumerator's steps in turn: reset, skip COUNT, clone (go
//                                  on with the copy), next COUNT [ROOM|null|none] ("none": no
//                                  array at all)
//   sink S [COMMAND...]            a sink that runs COMMAND each time it is notified
//   advise NODE OBJECT...          each object advised in turn (a name not known yet: a new sink)
//   unadvise NODE COOKIE / fire NODE CODE
//   connections NODE [STEP...]     what EnumConnections hands out after the steps of walk
//   refs NAME / locks / release NAME...|all
//                                  the count of an object; module locks since the session began;
//                                  a reference the session holds let go
// After each command come the hooks the nodes ran, the nodes destroyed ("gone NAME") and the
// codes the sinks received, in the order they happened. The test node's get hook counts up an
// entry "live" and takes an entry "vanishing" away; its action "run" runs its argument as a
// command.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

#include "com/module_lock.h"
#include "tests/support/agent.h"
#include "tests/support/replay.h"
#include "tests/support/test_node.h"

namespace swkv::test {
namespace {

using Words = std::vector<std::string>;

// The word as a text the agent passes; "null" a null one.
UniqueBstr Text(const std::string& word) {
  return word == "null" ? UniqueBstr() : UniqueBstr::FromAnsi(word);
}

// The words from first on, as one text.
std::string Rest(const Words& w, std::size_t first) {
  std::string rest;
  for (std::size_t i = first; i < w.size(); ++i) rest += (i > first ? " " : "") + w[i];
  return rest;
}

// An agent buffer of room characters, each '#' until the component writes it.
UniqueBstr AgentBuffer(UINT room) {
  UniqueBstr buffer = UniqueBstr::Buffer(room);
  for (UINT i = 0; i < room; ++i) buffer.get()[i] = '#';
  return buffer;
}

// What the component wrote into a buffer: up to the first zero, other than ASCII as \xNN; with
// untouched, how many characters after the zero, if any, still hold '#'.
std::string Written(BSTR buffer, UINT room, bool untouched) {
  std::string out;
  UINT i = 0;
  for (; i < room && buffer[i]; ++i)
    out += buffer[i] >= 32 && buffer[i] < 127 ? std::string(1, static_cast<char>(buffer[i]))
                                              : "\\" + Hex(buffer[i]).substr(1);
  if (untouched && i < room)
    out += " (" + std::to_string(std::count(buffer + i + 1, buffer + room, '#')) + " untouched)";
  if (SysStringLen(buffer) != room) out += " (room " + std::to_string(SysStringLen(buffer)) + ")";
  return out;
}

class RiverSession {
 public:
  RiverSession() {
    TestNode::log.clear();
    TestNode::onRun = [this](const std::string& line) {
      TestNode::log.push_back(Do(SplitWords(line)));
    };
  }
  ~RiverSession() { TestNode::onRun = nullptr; }

  std::string Run(const std::string& command) {
    std::string out;
    try {
      out = Do(SplitWords(command));
    } catch (const std::exception& error) {
      out = std::string("error: ") + error.what() + "\n";
    }
    // What a hook ran (a command's output) is one entry of several lines.
    for (const std::string& entry : TestNode::log) {
      std::istringstream lines(entry);
      for (std::string line; std::getline(lines, line);) out += "  " + line + "\n";
    }
    TestNode::log.clear();
    return out;
  }

 private:
  TestNode* Node(const std::string& name) const {
    auto it = TestNode::byLabel.find(name);
    if (it == TestNode::byLabel.end()) throw std::invalid_argument("no node " + name);
    return it->second;
  }
  IUnknown* Object(const std::string& name) const {
    auto it = m_held.find(name);
    return it != m_held.end() ? it->second.get() : static_cast<IRiver*>(Node(name));
  }
  ComPtr<IEnumString> Enumerator(const std::string& name) const {
    return ComPtr<IUnknown>(Object(name)).As<IEnumString>(IID_IEnumString);
  }
  ComPtr<IConnectionPoint> Point(const std::string& node) const {
    ComPtr<IConnectionPoint> point;
    Node(node)->FindConnectionPoint(IID_IRAIDEvent, point.put());
    return point;
  }
  std::string Handle(const std::string& value) {
    const bool numbered = !value.empty() && value[0] >= '0' && value[0] <= '9';
    return numbered ? m_handles.Shown(value) : value;
  }
  std::string Entry(const std::string& entry) {
    if (entry.empty()) return "(empty)";
    return entry.starts_with("handle@pr-@") ? "handle@pr-@" + Handle(entry.substr(11)) : entry;
  }
  // The step of walk at w[i] (reset, skip COUNT, clone) on either enumerator, i moved past it.
  template <class Enumerator>
  static std::string Step(ComPtr<Enumerator>& e, const Words& w, std::size_t& i) {
    if (w[i] == "reset") return "reset = " + StatusName(e->Reset()) + "\n";
    if (w[i] == "clone") {
      ComPtr<Enumerator> copy;
      const HRESULT hr = e->Clone(copy.put());
      e = copy;
      return "clone = " + StatusName(hr) + "\n";
    }
    if (w[i] != "skip" || ++i == w.size()) throw std::invalid_argument("no such step: " + w[i - 1]);
    return "skip " + w[i] + " = " + StatusName(e->Skip(std::stoul(w[i]))) + "\n";
  }
  // What EnumConnections hands out after the steps.
  std::string Connections(const Words& w) {
    ComPtr<IEnumConnections> e;
    Point(w[1])->EnumConnections(e.put());
    std::string out;
    for (std::size_t i = 2; i < w.size(); ++i) out += Step(e, w, i);
    CONNECTDATA items[16]{};
    ULONG fetched = 0;
    const HRESULT hr = e->Next(16, items, &fetched);
    out += "= " + StatusName(hr) + ", " + std::to_string(fetched) + " fetched\n";
    for (ULONG i = 0; i < fetched; ++i) {
      std::string sink = "another object";
      for (const auto& [name, held] : m_held)
        if (held.get() == items[i].pUnk) sink = name;
      items[i].pUnk->Release();
      out += "  cookie " + std::to_string(items[i].dwCookie) + ": " + sink + "\n";
    }
    return out;
  }
  // The step "next COUNT [ROOM|null|none]" of walk at w[i], i moved past it.
  std::string Next(IEnumString* e, const Words& w, std::size_t& i) {
    const ULONG count = std::stoul(w.at(++i));
    // A room follows as a number, "null" (no buffer) or "none" (no array of them).
    const std::string after = i + 1 < w.size() ? w[i + 1] : "";
    const bool roomed = after == "null" || after == "none" ||
                        std::isdigit(static_cast<unsigned char>(after[0]));
    const std::string room = roomed ? w[++i] : "64";
    const bool noArray = room == "none", noBuffer = noArray || room == "null";
    const UINT length = noBuffer ? 0 : static_cast<UINT>(std::stoul(room));
    std::vector<UniqueBstr> buffers;
    std::vector<LPOLESTR> places;
    for (ULONG k = 0; k < count; ++k) {
      buffers.push_back(noBuffer ? UniqueBstr() : AgentBuffer(length));
      places.push_back(buffers.back().get());
    }
    ULONG fetched = 99;
    const HRESULT hr = e->Next(count, noArray ? nullptr : places.data(), &fetched);
    std::string out = "next " + std::to_string(count) + " = " + StatusName(hr) + ", " +
                      std::to_string(fetched) + " fetched\n";
    for (ULONG k = 0; k < fetched && k < places.size() && places[k]; ++k)
      out += "  " + Entry(Written(places[k], length, false)) + "\n";
    return out;
  }

  std::string Do(const Words& w) {
    if (w.empty()) return {};
    const std::string& command = w[0];
    auto word = [&](std::size_t i) { return i < w.size() ? w[i] : std::string(); };
    auto number = [&](std::size_t i, long fallback) {
      return static_cast<std::int32_t>(i < w.size() ? std::stol(w[i], nullptr, 0) : fallback);
    };
    auto status = [](HRESULT hr) { return "= " + StatusName(hr) + "\n"; };
    if (command == "locks")
      return "module locks +" + std::to_string(ModuleLockCount() - m_locks) + "\n";
    if (w.size() < 2) throw std::invalid_argument("usage: " + command + " NAME ...");
    if (command == "node") {
      TestNode* node = TestNode::Make(nullptr, w[1], number(2, 28));
      m_held[w[1]] = ComPtr<IUnknown>(static_cast<IRiver*>(node));
    } else if (command == "child") {
      ComPtr<TestNode> child(TestNode::Make(Node(w[2]), w[1], number(3, 28)));
      Node(w[2])->AddChild(child.get(), nullptr);
    } else if (command == "blank") {
      m_held[w[1]] = ComPtr<IUnknown>(static_cast<IRiver*>(TestNode::Unlinked(w[1])));
    } else if (command == "link") {
      const int linked = Node(w[1])->AddChild(Node(w[2]), w.size() > 3 ? w[3].c_str() : nullptr);
      return "= " + std::to_string(linked) + "\n";
    } else if (command == "put") {
      for (std::size_t i = 2; i < w.size(); i += 3)
        Node(w[1])->PutDrop(w[i], static_cast<std::uint32_t>(number(i + 1, 0)), word(i + 2));
    } else if (command == "remove") {
      Node(w[1])->RemoveChild(Node(w.size() > 3 ? w[3] : w[1])->FindDrop(word(2)));
    } else if (command == "dir") {
      std::string out;
      for (const std::string& entry : Dir(Node(w[1]))) out += Entry(entry) + "\n";
      return out;
    } else if (command == "get") {
      const UINT room = word(3) == "null" ? 0 : number(3, 64);
      UniqueBstr buffer = word(3) == "null" ? UniqueBstr() : AgentBuffer(room);
      BSTR place = buffer.get();
      const HRESULT hr = Node(w[1])->get(Text(word(2)).get(), &place);
      const std::string shown = place ? Handle(Written(place, room, w.size() > 3)) : "(still null)";
      return word(2) + " = " + shown + (hr == S_OK ? "" : " " + StatusName(hr)) + "\n";
    } else if (command == "set") {
      return status(Node(w[1])->set(Text(word(2)).get(), Text(word(3)).get(), 0));
    } else if (command == "invoke") {
      return status(Node(w[1])->invoke(Text(word(2)).get(), Text(Rest(w, 3)).get()));
    } else if (command == "cd") {
      IUnknown* const sentinel = reinterpret_cast<IUnknown*>(0x1);
      IUnknown* out = sentinel;
      const HRESULT hr = Node(w[2])->cd(Text(word(3)).get(), &out);
      if (hr != S_OK)
        return "= " + StatusName(hr) + (out == sentinel ? "\n" : ", the place changed\n");
      *m_held[w[1]].put() = out;
      ComPtr<IRiver> child = m_held[w[1]].As<IRiver>(IID_IRiver);
      return "= S_OK, node " + Handle(Get(child.get(), "handle")) + "\n";
    } else if (command == "find") {
      std::string out;
      for (std::size_t i = 2; i < w.size(); ++i) {
        CRiver* found = Node(w[1])->GetChild(w[i]);
        out += w[i] + ": " + (found ? found->name() : "none") + "\n";
      }
      return out;
    } else if (command == "enum") {
      // Kept as E, shown by its ordinal among the objects the session saw.
      ComPtr<IUnknown> object;
      const HRESULT hr = Node(word(2))->dir(object.put());
      if (hr != S_OK) return status(hr);
      m_held[w[1]] = object;
      auto [it, fresh] = m_ordinals.emplace(Enumerator(w[1]).get(), m_ordinals.size() + 1);
      return "= S_OK, enumerator " + std::to_string(it->second) + (fresh ? "" : " again") + "\n";
    } else if (command == "walk") {
      ComPtr<IEnumString> e = Enumerator(w[1]);
      std::string out;
      for (std::size_t i = 2; i < w.size(); ++i)
        out += w[i] == "next" ? Next(e.get(), w, i) : Step(e, w, i);
      return out;
    } else if (command == "sink") {
      ComPtr<RecordingSink> sink = RecordingSink::Create();
      sink->onNotify = [this, name = w[1], then = Rest(w, 2)](ULONG code) {
        TestNode::log.push_back(name + " got " + Hex(code));
        if (!then.empty()) TestNode::log.push_back(Do(SplitWords(then)));
      };
      m_held[w[1]] = ComPtr<IUnknown>(static_cast<IRAIDEvent*>(sink.get()));
    } else if (command == "advise") {
      std::string out;
      for (std::size_t i = 2; i < w.size(); ++i) {
        if (!m_held.count(w[i]) && !TestNode::byLabel.count(w[i])) Do({"sink", w[i]});
        DWORD cookie = 99;
        const HRESULT hr = Point(w[1])->Advise(Object(w[i]), &cookie);
        out += w[i] + " = " + StatusName(hr) + ", cookie " + std::to_string(cookie) + "\n";
      }
      return out;
    } else if (command == "unadvise") {
      return status(Point(w[1])->Unadvise(number(2, 0)));
    } else if (command == "connections") {
      return Connections(w);
    } else if (command == "fire") {
      Node(w[1])->FireNotification(number(2, 0));
    } else if (command == "refs") {
      IUnknown* object = Object(w[1]);
      object->AddRef();
      std::string out = "refs " + std::to_string(object->Release());
      if (TestNode::byLabel.count(w[1])) {
        CRiver* parent = Node(w[1])->parent();
        out += ", parent " + (parent ? parent->name() : std::string("none"));
      }
      return out + "\n";
    } else if (command == "release") {
      if (w[1] == "all") m_held.clear();
      for (std::size_t i = 1; i < w.size(); ++i) m_held.erase(w[i]);
    } else {
      throw std::invalid_argument("no such command: " + command);
    }
    return {};
  }

  std::map<std::string, ComPtr<IUnknown>> m_held;  // the references the session holds
  std::map<const void*, std::size_t> m_ordinals;
  HandleOrdinals m_handles;
  long m_locks = ModuleLockCount();
};

SWKV_SESSION_TESTS(RiverSessionTest, RiverSession, std::string(SWKV_TESTS_DIR) + "/river/sessions");

}  // namespace
}  // namespace swkv::test
