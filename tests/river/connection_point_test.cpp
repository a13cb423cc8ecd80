// Subscribing to a node's notifications through its connection point.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/agent.h"
#include "tests/support/test_node.h"

namespace swkv::test {
namespace {

class ConnectionPoint : public ::testing::Test {
 protected:
  ComPtr<IConnectionPoint> Point(IRiver* river) {
    ComPtr<IConnectionPointContainer> container;
    river->QueryInterface(IID_IConnectionPointContainer, container.put_void());
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IRAIDEvent, point.put()), S_OK);
    return point;
  }
  ComPtr<TestNode> node{TestNode::Make(nullptr, "n")};
};

// An object without IRAIDEvent.
class PlainUnknown final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    *ppv = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  ULONG refs = 1;
};

TEST_F(ConnectionPoint, TheContainerHasTheOneIRAIDEventPoint) {
  ComPtr<IConnectionPointContainer> container;
  node->QueryInterface(IID_IConnectionPointContainer, container.put_void());
  IConnectionPoint* point = reinterpret_cast<IConnectionPoint*>(0x1);
  EXPECT_EQ(container->FindConnectionPoint(IID_IRiver, &point), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point, nullptr);
  EXPECT_EQ(container->FindConnectionPoint(IID_IRAIDEvent, nullptr), E_POINTER);
  auto cp = Point(node.get());
  IID iid{};
  EXPECT_EQ(cp->GetConnectionInterface(&iid), S_OK);
  EXPECT_TRUE(IsEqualIID(iid, IID_IRAIDEvent));
  ComPtr<IConnectionPointContainer> back;
  EXPECT_EQ(cp->GetConnectionPointContainer(back.put()), S_OK);
  EXPECT_EQ(back.get(), container.get());
  ComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(1, &point, &fetched), S_OK);
  EXPECT_EQ(point, &node->connection_point());
  point->Release();
  EXPECT_EQ(points->Next(1, &point, &fetched), S_FALSE);
  EXPECT_EQ(container->EnumConnectionPoints(nullptr), E_POINTER);
}

TEST_F(ConnectionPoint, AdviseRefusesObjectsWithoutIRAIDEvent) {
  auto cp = Point(node.get());
  PlainUnknown plain;
  DWORD cookie = 77;
  EXPECT_EQ(cp->Advise(&plain, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(plain.refs, 1u);
  EXPECT_EQ(cp->Advise(nullptr, &cookie), E_POINTER);
  auto sink = RecordingSink::Create();
  EXPECT_EQ(cp->Advise(static_cast<IRAIDEvent*>(sink.get()), nullptr), E_POINTER);
}

TEST_F(ConnectionPoint, CookiesAreDistinctNonZeroAndUnadviseOrTheNodesEndTakesThemBack) {
  auto cp = Point(node.get());
  auto a = RecordingSink::Create();
  auto b = RecordingSink::Create();
  DWORD ca = 0, cb = 0;
  ASSERT_EQ(cp->Advise(static_cast<IRAIDEvent*>(a.get()), &ca), S_OK);
  ASSERT_EQ(cp->Advise(static_cast<IRAIDEvent*>(b.get()), &cb), S_OK);
  EXPECT_NE(ca, 0u);
  EXPECT_NE(cb, 0u);
  EXPECT_NE(ca, cb);
  EXPECT_EQ(a->refs(), 2u);
  EXPECT_EQ(cp->Unadvise(ca), S_OK);
  EXPECT_EQ(a->refs(), 1u);
  EXPECT_EQ(cp->Unadvise(ca), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(cp->Unadvise(0), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(cp->Unadvise(12345), CONNECT_E_NOCONNECTION);
  node->FireNotification(kNotifyDeleted);
  EXPECT_TRUE(a->codes.empty());
  EXPECT_EQ(b->codes, std::vector<ULONG>{0x2001});
  // Destroying the node releases every sink.
  cp.reset();
  node.reset();
  EXPECT_EQ(b->refs(), 1u);
}

TEST_F(ConnectionPoint, TheTableGrowsOneFourThenDoublesAndReusesFreePlaces) {
  auto& point = node->connection_point();
  std::vector<ComPtr<RecordingSink>> sinks;
  std::vector<DWORD> cookies;
  for (int i = 0; i < 5; ++i) {
    sinks.push_back(RecordingSink::Create());
    cookies.push_back(sinks.back()->AdviseOn(node.get()));
    if (i < 2) { EXPECT_EQ(point.Capacity(), i == 0 ? 1u : 4u); }
  }
  EXPECT_EQ(point.Capacity(), 8u);
  point.Unadvise(cookies[1]);
  auto late = RecordingSink::Create();
  late->AdviseOn(node.get());
  EXPECT_EQ(point.Capacity(), 8u);
  std::vector<int> order;
  for (std::size_t i = 0; i < sinks.size(); ++i)
    sinks[i]->onNotify = [&order, i](ULONG) { order.push_back(static_cast<int>(i)); };
  late->onNotify = [&order](ULONG) { order.push_back(9); };
  node->FireNotification(kNotifyChanged);
  // Every sink in advise order; the new sink took the free place.
  EXPECT_EQ(order, (std::vector<int>{0, 9, 2, 3, 4}));
  EXPECT_EQ(late->codes, std::vector<ULONG>{0x2002});
  EXPECT_EQ(sinks[4]->codes, std::vector<ULONG>{0x2002});
}

TEST_F(ConnectionPoint, ASinkMayUnadviseOthersAndReleaseTheNodeDuringFire) {
  auto a = RecordingSink::Create();
  auto b = RecordingSink::Create();
  a->AdviseOn(node.get());
  DWORD cb = b->AdviseOn(node.get());
  TestNode* raw = node.get();
  a->onNotify = [&, raw](ULONG) {
    raw->connection_point().Unadvise(cb);
    node.reset();
  };
  int before = TestNode::destroyed;
  raw->AddRef();
  raw->FireNotification(kNotifyChanged);
  EXPECT_EQ(b->codes.size(), 1u);  // called from the snapshot
  EXPECT_EQ(TestNode::destroyed, before);
  raw->Release();
  EXPECT_EQ(TestNode::destroyed, before + 1);
}

TEST_F(ConnectionPoint, EnumConnectionsListsCurrentSinksWithTheirCookies) {
  auto a = RecordingSink::Create();
  DWORD ca = a->AdviseOn(node.get());
  auto cp = Point(node.get());
  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(cp->EnumConnections(connections.put()), S_OK);
  CONNECTDATA data[2]{};
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(data[0].dwCookie, ca);
  EXPECT_EQ(data[0].pUnk, static_cast<IUnknown*>(static_cast<IRAIDEvent*>(a.get())));
  data[0].pUnk->Release();
  EXPECT_EQ(cp->EnumConnections(nullptr), E_POINTER);
}

}  // namespace
}  // namespace swkv::test
