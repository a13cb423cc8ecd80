#include "river/river.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <new>

#include "com/dispatch.h"
#include "platform/text.h"
#include "river/agent_call.h"
#include "river/dir_enumerator.h"
#include "river/river_node.h"

namespace swkv {

namespace {

// Handle numbers: positive 32-bit numbers, never 0 and never reused while the counter has not
// wrapped, so an agent that keeps a handle cannot reach another node with it.
std::int32_t AllocateHandleNumber() {
  static std::atomic<std::int32_t> s_last{0};
  std::int32_t last = s_last.load(std::memory_order_relaxed);
  std::int32_t next;
  do {
    next = last == INT32_MAX ? 1 : last + 1;
  } while (!s_last.compare_exchange_weak(last, next, std::memory_order_relaxed));
  return next;
}

// The text a handle or child link shows: handle number and kind, "%d;%d".
struct HandleText {
  HandleText(std::int32_t number, std::int32_t kind) {
    char* end = text.data() + text.size() - 1;  // the last character stays the terminator
    char* at = std::to_chars(text.data(), end, number).ptr;
    *at++ = ';';
    std::to_chars(at, end, kind);
  }
  std::array<char, 32> text{};
};

constexpr std::size_t kFirstDropRoom = 8;

// A number as "%d" shows it.
struct DecimalText {
  explicit DecimalText(int value) {
    length = static_cast<std::size_t>(
        std::to_chars(text.data(), text.data() + text.size(), value).ptr - text.data());
  }
  std::string_view view() const { return {text.data(), length}; }
  std::array<char, 16> text{};
  std::size_t length = 0;
};

constexpr InterfaceEntry kRiverInterfaces[] = {
    Entry<CRiver, IRiver>(IID_IRiver),
    Entry<CRiver, IDispatch>(IID_IDispatch),
    Entry<CRiver, IConnectionPointContainer>(IID_IConnectionPointContainer),
};

// Keeps a node alive while one of its operations runs: a hook or a sink may release the last
// outside reference. A node still under construction (count 0, owned by nobody yet) is left
// alone, since releasing it would destroy it.
class KeepAlive {
 public:
  explicit KeepAlive(CRiver* node) : m_node(node->ref_count() > 0 ? node : nullptr) {
    if (m_node) m_node->AddRef();
  }
  ~KeepAlive() {
    if (m_node) m_node->Release();
  }
  KeepAlive(const KeepAlive&) = delete;
  KeepAlive& operator=(const KeepAlive&) = delete;

 private:
  CRiver* m_node;
};

}  // namespace

CRiver::CRiver() : m_handleNumber(AllocateHandleNumber()) {}

CRiver::~CRiver() { RemoveAllChildren(); }

std::span<const InterfaceEntry> CRiver::Interfaces() { return kRiverInterfaces; }

HRESULT CRiver::QueryInterface(REFIID iid, void** ppv) {
  return m_outer ? m_outer->QueryInterface(iid, ppv) : InnerQueryInterface(iid, ppv);
}

ULONG CRiver::AddRef() { return m_outer ? m_outer->AddRef() : InnerAddRef(); }

ULONG CRiver::Release() { return m_outer ? m_outer->Release() : InnerRelease(); }

HRESULT CRiver::InnerQueryInterface(REFIID iid, void** ppv) {
  return QueryInterfaceFromTable(this, Interfaces(), iid, ppv);
}

ULONG CRiver::InnerAddRef() { return ++m_refs; }

ULONG CRiver::InnerRelease() {
  ULONG refs = --m_refs;
  if (refs == 0) {
    // No release during the teardown may delete the node a second time.
    m_refs = 1;
    delete this;
  }
  return refs;
}

// ---- IDispatch -----------------------------------------------------------------------------

HRESULT CRiver::GetTypeInfoCount(UINT* count) { return DispatchGetTypeInfoCount(count); }

HRESULT CRiver::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
  return DispatchGetTypeInfo(IID_IRiver, index, lcid, info);
}

HRESULT CRiver::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
  return DispatchGetIDsOfNames(IID_IRiver, names, count, lcid, ids);
}

HRESULT CRiver::Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
  return DispatchInvoke(IID_IRiver, static_cast<IRiver*>(this), id, lcid, flags, params, result,
                        excepInfo, argErr);
}

// ---- IRiver --------------------------------------------------------------------------------

HRESULT CRiver::dir(IUnknown** ppenum) {
  AgentCall call;
  if (!ppenum) return E_POINTER;
  CDirEnumerator* enumerator = CDirEnumerator::Create(this);
  if (!enumerator) return E_OUTOFMEMORY;
  enumerator->AddRef();
  *ppenum = static_cast<IEnumString*>(enumerator);
  return S_OK;
}

HRESULT CRiver::get(BSTR name, BSTR* pValue) {
  AgentCall call;
  if (!pValue) return E_POINTER;
  AnsiText ansiName(name);
  CDrop* drop = FindDrop(ansiName.view());
  if (!drop) return S_OK;
  KeepAlive alive(this);
  try {
    OnGet(drop);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  // The hook may have rewritten the drop list; read the value from the drop as it is now.
  drop = FindDrop(ansiName.view());
  if (drop) CopyToBstrBuffer(drop->value(), *pValue);
  return S_OK;
}

HRESULT CRiver::set(BSTR name, BSTR value, ULONG) {
  AgentCall call;
  AnsiText ansiName(name);
  CDrop* drop = FindDrop(ansiName.view());
  if (!drop || drop->IsChildLink()) return S_FALSE;
  if ((drop->flags() & DROP_PROPERTY) == 0 || (drop->flags() & DROP_WRITE) == 0) return S_FALSE;
  AnsiText ansiValue(value);
  try {
    drop->SetValue(ansiValue.view());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CRiver::invoke(BSTR name, BSTR arg) {
  AgentCall call;
  AnsiText ansiName(name);
  CDrop* drop = FindDrop(ansiName.view());
  if (!drop || (drop->flags() & DROP_METHOD) == 0) return S_FALSE;
  AnsiText ansiArg(arg);
  KeepAlive alive(this);
  try {
    OnInvoke(ansiName.view(), ansiArg.view());
  } catch (const std::bad_alloc&) {
    // The action exists; what it achieved is not reported to the agent.
  }
  return S_OK;
}

HRESULT CRiver::refresh() {
  AgentCall call;
  KeepAlive alive(this);
  try {
    Refresh();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CRiver::cd(BSTR name, IUnknown** ppriver) {
  AgentCall call;
  AnsiText ansiName(name);
  CDrop* drop = FindDrop(ansiName.view());
  if (!drop || !drop->IsChildLink() || !drop->child()) return S_FALSE;
  if (!ppriver) return E_POINTER;
  drop->child()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(ppriver));
  return S_OK;
}

// ---- IConnectionPointContainer -------------------------------------------------------------

HRESULT CRiver::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
  return CreateConnectionPointEnumerator(&m_connectionPoint, ppEnum);
}

HRESULT CRiver::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  *ppCP = nullptr;
  if (!IsEqualIID(riid, IID_IRAIDEvent)) return CONNECT_E_NOCONNECTION;
  m_connectionPoint.AddRef();
  *ppCP = &m_connectionPoint;
  return S_OK;
}

// ---- hooks ---------------------------------------------------------------------------------

int CRiver::OnGet(CDrop*) { return 0; }

int CRiver::OnInvoke(std::string_view, std::string_view) { return 0; }

int CRiver::Refresh() {
  RegisterActions();
  return UpdateProperties();
}

// ---- drop list -----------------------------------------------------------------------------

CDrop* CRiver::FindDrop(std::string_view name) const {
  for (const auto& drop : m_drops)
    if (drop->name() == name) return drop.get();
  return nullptr;
}

int CRiver::PutDrop(std::string_view name, std::uint32_t flags, std::string_view value) {
  return PutDrop(name, flags, value, nullptr);
}

int CRiver::PutDrop(std::string_view name, std::uint32_t flags, std::string_view value,
                    CRiver* child) {
  CRiver* replaced = nullptr;
  try {
    if (CDrop* drop = FindDrop(name)) {
      drop->Store(name, flags, value);
      replaced = drop->child();
      drop->set_child(child);
    } else {
      DropPtr fresh = m_dropStore.Make();
      fresh->Store(name, flags, value);
      fresh->set_child(child);
      // Most nodes hold from 8 to 16 entries: the list starts with room for 8 rather than
      // growing through 1, 2 and 4.
      if (m_drops.capacity() == 0) m_drops.reserve(kFirstDropRoom);
      fresh->set_serial(m_nextSerial++);
      m_drops.push_back(std::move(fresh));
    }
  } catch (const std::bad_alloc&) {
    return 0;
  }
  // A link stored over another gives back the reference the old entry held.
  if (replaced) replaced->Release();
  return 1;
}

int CRiver::SetProperty(const char* name, std::uint32_t flags, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int result = SetPropertyV(name, flags, format, args);
  va_end(args);
  return result;
}

int CRiver::SetPropertyV(const char* name, std::uint32_t flags, const char* format,
                         va_list args) {
  // The two formats nearly every entry uses are done without the formatter, with the same text.
  if (format && format[0] == '%' && (format[1] == 's' || format[1] == 'd') && format[2] == '\0') {
    va_list peek;
    va_copy(peek, args);
    const bool isText = format[1] == 's';
    const char* text = isText ? va_arg(peek, const char*) : nullptr;
    const int number = isText ? 0 : va_arg(peek, int);
    va_end(peek);
    if (!isText) return PutDrop(name, flags, DecimalText(number).view());
    if (text) return PutDrop(name, flags, text);
    // A null text is left to the formatter, which shows it its own way.
  }
  // A measuring pass of the formatter itself sizes the text; short values stay on the stack.
  std::array<char, 256> small;
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(small.data(), small.size(), format, args);
  std::string_view value;
  std::unique_ptr<char[]> large;
  if (length < 0) {
    value = {};
  } else if (static_cast<std::size_t>(length) < small.size()) {
    value = small.data();
  } else {
    large.reset(new (std::nothrow) char[static_cast<std::size_t>(length) + 1]);
    if (!large) {
      va_end(again);
      return 0;
    }
    std::vsnprintf(large.get(), static_cast<std::size_t>(length) + 1, format, again);
    value = large.get();  // up to the first zero character
  }
  va_end(again);
  return PutDrop(name, flags, value);
}

int CRiver::SetIntProperty(const char* name, std::uint32_t flags, std::int32_t value) {
  return PutDrop(name, flags, DecimalText(value).view());
}

std::string CRiver::GetProperty(std::string_view name, std::string_view fallback) {
  CDrop* drop = FindDrop(name);
  if (!drop) return std::string(fallback);
  OnGet(drop);
  drop = FindDrop(name);
  return drop ? drop->value() : std::string(fallback);
}

int CRiver::AddAction(const char* name, std::int32_t number) {
  return PutDrop(name, DROP_METHOD, DecimalText(number).view());
}

void CRiver::SetHandle(CRiver* parent, std::string_view name, std::int32_t kind) {
  m_name.assign(name);
  m_publishedKind = kind;
  m_parent = parent;
  HandleText handle(m_handleNumber, kind);
  PutDrop("handle", kReadOnly, handle.text.data());
  m_initialised = 1;
}

int CRiver::AddChild(CRiver* child, const char* name) {
  if (!child || !child->initialised()) return 0;
  std::string_view linkName = name ? std::string_view(name) : std::string_view(child->name());
  HandleText link(child->handle_number(), child->published_kind());
  child->AddRef();  // this reference belongs to the drop list
  if (!PutDrop(linkName, DROP_OBJECT, link.text.data(), child)) {
    child->Release();
    return 0;
  }
  return 1;
}

void CRiver::RemoveChild(CDrop* drop) {
  auto it = std::find_if(m_drops.begin(), m_drops.end(),
                         [drop](const auto& entry) { return entry.get() == drop; });
  if (it == m_drops.end()) return;
  CRiver* child = (*it)->IsChildLink() ? (*it)->child() : nullptr;
  m_drops.erase(it);
  // The child goes last: its teardown may call back into this node.
  if (child) child->Release();
}

void CRiver::RemoveAllChildren() {
  // The drops up to the next link leave the list together; the link's child is released once
  // the list holds only the drops after it, as its teardown may call back into this node.
  while (!m_drops.empty()) {
    auto link = std::find_if(m_drops.begin(), m_drops.end(), [](const auto& drop) {
      return drop->IsChildLink() && drop->child();
    });
    if (link == m_drops.end()) {
      m_drops.clear();
      return;
    }
    CRiver* child = (*link)->child();
    m_drops.erase(m_drops.begin(), link + 1);
    child->Release();
  }
}

CRiver* CRiver::GetChild(std::string_view name) const {
  CDrop* drop = FindDrop(name);
  return drop && drop->IsChildLink() ? drop->child() : nullptr;
}

std::size_t CRiver::IndexAt(const DropPosition& position) const {
  if (!position.valid) return m_drops.size();
  // Serials increase along the list, so the first drop at or after the position is found by
  // binary search.
  auto it = std::lower_bound(
      m_drops.begin(), m_drops.end(), position.serial,
      [](const DropPtr& drop, std::uint64_t serial) { return drop->serial() < serial; });
  return static_cast<std::size_t>(it - m_drops.begin());
}

CDrop* CRiver::DropAt(const DropPosition& position) const {
  std::size_t index = IndexAt(position);
  return index < m_drops.size() ? m_drops[index].get() : nullptr;
}

DropPosition CRiver::PositionAfter(const CDrop* drop) const {
  DropPosition at{drop->serial(), true};
  std::size_t index = IndexAt(at);
  if (index < m_drops.size() && m_drops[index].get() == drop) ++index;
  return PositionAt(index);
}

DropPosition CRiver::PositionAt(std::size_t index) const {
  if (index >= m_drops.size()) return {};
  return {m_drops[index]->serial(), true};
}

DropPosition CRiver::GetHeadPosition() const { return PositionAt(0); }

CRiver* CRiver::GetNextChild(DropPosition& position, CDrop** drop) {
  // One search for the position, then a walk along the list to the next link.
  for (std::size_t index = IndexAt(position); index < m_drops.size(); ++index) {
    CDrop* current = m_drops[index].get();
    if (current->IsChildLink() && current->child()) {
      position = PositionAt(index + 1);
      if (drop) *drop = current;
      return current->child();
    }
  }
  position = {};
  if (drop) *drop = nullptr;
  return nullptr;
}

// The searches below run no hook and change no list, so they walk the drops directly.

CRiver* CRiver::FindNodeByHandle(std::int32_t handleNumber, std::int32_t kind) {
  for (const auto& drop : m_drops) {
    CRiver* child = drop->IsChildLink() ? drop->child() : nullptr;
    if (!child) continue;
    if (child->handle_number() == handleNumber && child->published_kind() == kind) return child;
    if (CRiver* found = child->FindNodeByHandle(handleNumber, kind)) return found;
  }
  return nullptr;
}

CRiverNode* CRiver::FindChildById(std::int32_t id, std::int32_t kind) {
  for (const auto& drop : m_drops) {
    CRiver* child = drop->IsChildLink() ? drop->child() : nullptr;
    CRiverNode* node = child ? child->AsNode() : nullptr;
    if (node && node->id() == id && node->kind() == kind) return node;
  }
  return nullptr;
}

void CRiver::FireNotification(ULONG code) {
  KeepAlive alive(this);
  m_connectionPoint.Fire(code);
}

}  // namespace swkv
