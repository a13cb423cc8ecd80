// A stand-in for the device tree's root, so that the COM server can be built and tested before
// the tree exists: a root named "swkvraid" with a "Type" property and one controller-like child
// "HBA1", which answers IEventLog the way a controller node does and has a read-only
// "ReadThreshold" that its "SetReadThreshold" action sets, and a child "disk0" of its own.
// It goes away when the device tree provides NewRootNode.
#include <cstdio>
#include <new>

#include "frame/dispatch.h"
#include "frame/root_factory.h"
#include "platform/com_ptr.h"
#include "river/river_node.h"

namespace swkv {

namespace {

// The IEventLog part of the controller: its IDispatch describes IEventLog.
class StandInEventLogPart : public IEventLog {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return DispatchGetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
    return DispatchGetTypeInfo(IID_IEventLog, index, lcid, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override {
    return DispatchGetIDsOfNames(IID_IEventLog, names, count, lcid, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excepInfo,
                                   UINT* argErr) override {
    return DispatchInvoke(IID_IEventLog, static_cast<IEventLog*>(this), id, lcid, flags, params,
                          result, excepInfo, argErr);
  }
};

class StandInController final : public CRiverNode, public StandInEventLogPart {
 public:
  StandInController() { set_kind(26); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    return CRiverNode::QueryInterface(iid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return CRiverNode::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CRiverNode::Release(); }

  HRESULT STDMETHODCALLTYPE GetNewCount(ULONG* pNewCount) override {
    *pNewCount = 0;
    *pNewCount = m_newCount;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ReadEventLog(BSTR* pBuf, ULONG*) override {
    char record[64];
    std::snprintf(record, sizeof record, "522@0@3@Ary. Critical@record %lu",
                  static_cast<unsigned long>(m_readPosition));
    UniqueBstr text = UniqueBstr::FromAnsi(record);
    if (!text) return E_OUTOFMEMORY;
    *pBuf = text.release();
    ++m_readPosition;
    --m_newCount;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ClearLog() override { return S_OK; }

  int OnInvoke(std::string_view action, std::string_view argument) override {
    if (action != "SetReadThreshold") return 0;
    SetProperty("ReadThreshold", kReadOnly, "%.*s", static_cast<int>(argument.size()),
                argument.data());
    FireNotification(kNotifyChanged);
    return 1;
  }
  int UpdateProperties() override {
    if (!FindDrop("ReadThreshold")) SetIntProperty("ReadThreshold", kReadOnly, 8);
    return 1;
  }
  int RegisterActions() override { return AddAction("SetReadThreshold", 1); }

 protected:
  std::span<const InterfaceEntry> Interfaces() override {
    static constexpr InterfaceEntry kInterfaces[] = {
        Entry<StandInController, IEventLog>(IID_IEventLog),
        Entry<StandInController, IRiver>(IID_IRiver),
        Entry<StandInController, IConnectionPointContainer>(IID_IConnectionPointContainer),
    };
    return kInterfaces;
  }

 private:
  ~StandInController() override = default;

  ULONG m_newCount = 2;
  ULONG m_readPosition = 0;
};

class StandInDisk final : public CRiverNode {
 public:
  StandInDisk() { set_kind(28); }

 private:
  ~StandInDisk() override = default;
};

class StandInRoot final : public CRiver {
 public:
  StandInRoot() { SetHandle(nullptr, "swkvraid", 14); }

 private:
  ~StandInRoot() override = default;
};

// Links child under parent; the parent's link holds the only reference.
void Link(CRiver* parent, CRiver* child) {
  child->AddRef();
  parent->AddChild(child, nullptr);
  child->Release();
}

}  // namespace

CRiver* NewRootNode() {
  StandInRoot* root = nullptr;
  try {
    root = new StandInRoot;
    auto* controller = new StandInController;
    controller->Init(nullptr, "HBA1", 0, 0, 0);
    Link(root, controller);
    auto* disk = new StandInDisk;
    disk->Init(controller, "disk0", 0, 0, 0);
    Link(controller, disk);
    root->SetProperty("Type", kReadOnly, "%s", "TESSARY SwiftbayRAIDKv9");
    return root;  // count 0, as a root fresh from its constructor
  } catch (const std::bad_alloc&) {
    if (root) {
      root->AddRef();
      root->Release();
    }
    return nullptr;
  }
}

}  // namespace swkv
