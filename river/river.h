// CRiver: the base of every node. A node is a COM object that owns an ordered list of named
// text entries (CDrop) and answers IRiver, IDispatch and IConnectionPointContainer.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "com/module_lock.h"
#include "platform/com_ptr.h"
#include "platform/win.h"
#include "river/connection_point.h"
#include "river/dir_enumerator_spares.h"
#include "river/drop.h"
#include "river/drop_store.h"
#include "river/interface_table.h"
#include "mxaraid/interfaces.h"

namespace swkv {

class CRiverNode;

// A place in a node's drop list. It names the drop it stands on by that drop's serial, so it
// stays meaningful when drops are removed: it then continues with the next remaining drop.
struct DropPosition {
  std::uint64_t serial = 0;
  bool valid = false;  // false: empty (not started, or past the last drop)
};

class CRiver : public IRiver, public IConnectionPointContainer {
 public:
  CRiver();
  CRiver(const CRiver&) = delete;
  CRiver& operator=(const CRiver&) = delete;

  // IUnknown: one count for every interface of the node. While the node is aggregated, these
  // act on the outer object, whose identity and count the node's interfaces then share.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // Aggregation: the outer object the node's IUnknown methods go to (null: none), and the
  // node's own count and interface table, which the aggregation wrapper uses.
  void SetOuterUnknown(IUnknown* outer) { m_outer = outer; }
  HRESULT InnerQueryInterface(REFIID iid, void** ppv);
  ULONG InnerAddRef();
  ULONG InnerRelease();

  // IDispatch, through the type library's description of IRiver.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                   UINT* argErr) override;

  // IRiver
  HRESULT STDMETHODCALLTYPE dir(IUnknown** ppenum) override;
  HRESULT STDMETHODCALLTYPE get(BSTR name, BSTR* pValue) override;
  HRESULT STDMETHODCALLTYPE set(BSTR name, BSTR value, ULONG right) override;
  HRESULT STDMETHODCALLTYPE invoke(BSTR name, BSTR arg) override;
  HRESULT STDMETHODCALLTYPE refresh() override;
  HRESULT STDMETHODCALLTYPE cd(BSTR name, IUnknown** ppriver) override;

  // IConnectionPointContainer: the node's one connection point, for IRAIDEvent.
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  // Hooks of the node classes. Their results are not checked by the framework.
  // OnGet brings one value up to date at the moment the agent reads it.
  virtual int OnGet(CDrop* drop);
  virtual int OnInvoke(std::string_view action, std::string_view argument);
  // Default: RegisterActions, then UpdateProperties; returns the latter's result.
  virtual int Refresh();
  virtual int RegisterActions() { return 1; }
  virtual int UpdateProperties() { return 1; }
  // The node-class part of a node (id and class kind); null for the root.
  virtual CRiverNode* AsNode() { return nullptr; }

  // Drop-list helpers.
  CDrop* FindDrop(std::string_view name) const;
  // Stores into the first drop of that name, or appends a new one. 0 when no memory was left.
  int PutDrop(std::string_view name, std::uint32_t flags, std::string_view value);
  // Formats the value printf-style and stores it. Finished text that may hold a '%' is passed
  // as the argument of "%s", never as the format.
  int SetProperty(const char* name, std::uint32_t flags, const char* format, ...)
      __attribute__((format(printf, 4, 5)));
  int SetPropertyV(const char* name, std::uint32_t flags, const char* format, va_list args)
      __attribute__((format(printf, 4, 0)));
  int SetIntProperty(const char* name, std::uint32_t flags, std::int32_t value);
  // Runs OnGet on the drop, then returns a copy of its value; the fallback when there is none.
  std::string GetProperty(std::string_view name, std::string_view fallback = {});
  int AddAction(const char* name, std::int32_t number);
  void SetHandle(CRiver* parent, std::string_view name, std::int32_t kind);
  // Links an initialised child under the name (or its own name) and takes a reference on it.
  // 0 when the child was never initialised.
  int AddChild(CRiver* child, const char* name);
  // Links a node just made (reference count 0) below this one once setUp(node) - its Init or
  // Create - succeeds. Returns the child, or null when either step fails; the node is then
  // destroyed.
  template <class Node, class SetUp>
  Node* AdoptChild(Node* fresh, SetUp&& setUp) {
    ComPtr<Node> child(fresh);
    if (!child || !setUp(*child.get()) || !AddChild(child.get(), nullptr)) return nullptr;
    return child.get();  // the link holds the reference now
  }
  void RemoveChild(CDrop* drop);
  void RemoveAllChildren();
  CRiver* GetChild(std::string_view name) const;
  // The next child link at or after the position; leaves the position after it.
  CRiver* GetNextChild(DropPosition& position, CDrop** drop = nullptr);
  DropPosition GetHeadPosition() const;
  // Searches the subtree below this node (depth first, pre-order) by handle number and
  // published kind. The only way a handle that arrives from outside becomes a node.
  CRiver* FindNodeByHandle(std::int32_t handleNumber, std::int32_t kind);
  CRiverNode* FindChildById(std::int32_t id, std::int32_t kind);
  void FireNotification(ULONG code);

  // The drop at the position, or the next remaining one; null at the end.
  CDrop* DropAt(const DropPosition& position) const;
  // The position that follows the given drop (empty after the last).
  DropPosition PositionAfter(const CDrop* drop) const;

  CRiver* parent() const { return m_parent; }
  int initialised() const { return m_initialised; }
  const std::string& name() const { return m_name; }
  std::int32_t published_kind() const { return m_publishedKind; }
  // The number that stands for this node in its handle: unique among live nodes, never 0.
  std::int32_t handle_number() const { return m_handleNumber; }
  const std::vector<DropPtr>& drops() const { return m_drops; }
  ULONG ref_count() const { return m_refs; }
  CRiverConnectionPoint& connection_point() { return m_connectionPoint; }
  // The released dir enumerators the node keeps for its next listing.
  DirEnumeratorSpares& enumerator_spares() { return m_enumeratorSpares; }

 protected:
  // Teardown: the concrete class's destructor runs first, then children are released, the kept
  // dir enumerators deleted, the drops and name freed and the sinks released.
  virtual ~CRiver();
  // The interfaces QueryInterface answers, in order; IUnknown gets the first.
  virtual std::span<const InterfaceEntry> Interfaces();

 private:
  int PutDrop(std::string_view name, std::uint32_t flags, std::string_view value, CRiver* child);
  std::size_t IndexAt(const DropPosition& position) const;
  // The position of the drop at the index; empty past the last.
  DropPosition PositionAt(std::size_t index) const;

  ModuleLock m_moduleLock;
  IUnknown* m_outer = nullptr;
  CRiverConnectionPoint m_connectionPoint{*this};
  ULONG m_refs = 0;
  int m_initialised = 0;
  std::string m_name;
  std::int32_t m_publishedKind = 16;
  DropStore m_dropStore;  // before the list: it outlives the drops
  std::vector<DropPtr> m_drops;
  CRiver* m_parent = nullptr;
  std::int32_t m_handleNumber;
  std::uint64_t m_nextSerial = 1;
  DirEnumeratorSpares m_enumeratorSpares;
};

}  // namespace swkv
