// What a node and its enumerators answer to QueryInterface, the connection point container, and
// the places an agent may leave null.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/agent.h"
#include "tests/support/test_node.h"

namespace swkv::test {
namespace {

TEST(Interfaces, EachObjectAnswersItsOwnInterfacesAndRefusesNullPlaces) {
  ComPtr<TestNode> node(TestNode::Make(nullptr, "n"));
  ComPtr<TestNode> kid(TestNode::Make(node.get(), "kid"));
  node->AddChild(kid.get(), nullptr);
  ComPtr<IUnknown> listing;
  ASSERT_EQ(node->dir(listing.put()), S_OK);
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(node->FindConnectionPoint(IID_IRAIDEvent, point.put()), S_OK);
  ComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(node->EnumConnectionPoints(points.put()), S_OK);
  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(point->EnumConnections(connections.put()), S_OK);
  IUnknown* river = static_cast<IRiver*>(node.get());
  // A node's table lookup itself (identity, refusal) is the agent sessions' qi.
  const std::tuple<IUnknown*, const IID*, HRESULT> cases[] = {
      {river, &IID_IDispatch, S_OK},         {river, &IID_IConnectionPointContainer, S_OK},
      {listing.get(), &IID_IEnumString, S_OK}, {listing.get(), &IID_IRiver, E_NOINTERFACE},
      {point.get(), &IID_IConnectionPoint, S_OK}, {point.get(), &IID_IRiver, E_NOINTERFACE},
      {points.get(), &IID_IEnumConnectionPoints, S_OK},
      {points.get(), &IID_IEnumString, E_NOINTERFACE},
      {connections.get(), &IID_IEnumConnections, S_OK},
      {connections.get(), &IID_IEnumString, E_NOINTERFACE}};
  for (const auto& [object, iid, status] : cases) {
    ComPtr<IUnknown> answer;
    EXPECT_EQ(object->QueryInterface(*iid, answer.put_void()), status);
    EXPECT_EQ(answer.get() != nullptr, status == S_OK);
  }
  // The point's container is the node; the container lists that one point (its enumerator
  // steps as the one of the connections does).
  IID iid{};
  EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
  EXPECT_TRUE(IsEqualIID(iid, IID_IRAIDEvent));
  ComPtr<IConnectionPointContainer> back;
  EXPECT_EQ(point->GetConnectionPointContainer(back.put()), S_OK);
  EXPECT_EQ(back.get(), static_cast<IConnectionPointContainer*>(node.get()));
  IConnectionPoint* listed[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(listed[0], point.get());
  listed[0]->Release();
  IConnectionPoint* other = reinterpret_cast<IConnectionPoint*>(0x1);
  EXPECT_EQ(node->FindConnectionPoint(IID_IRiver, &other), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(other, nullptr);

  UniqueBstr name = UniqueBstr::FromAnsi("kid");
  auto sink = RecordingSink::Create();
  DWORD cookie = 0;
  int call = 0;  // the calls in the order listed
  for (HRESULT status :
       {river->QueryInterface(IID_IRiver, nullptr), node->dir(nullptr),
        node->get(name.get(), nullptr), node->cd(name.get(), nullptr),
        node->FindConnectionPoint(IID_IRAIDEvent, nullptr), node->EnumConnectionPoints(nullptr),
        listing.As<IEnumString>(IID_IEnumString)->Clone(nullptr), point->Advise(nullptr, &cookie),
        point->Advise(static_cast<IRAIDEvent*>(sink.get()), nullptr),
        point->EnumConnections(nullptr), point->GetConnectionInterface(nullptr)})
    EXPECT_EQ(status, E_POINTER) << "call " << call++;
  EXPECT_EQ(sink->refs(), 1u);
}

}  // namespace
}  // namespace swkv::test
