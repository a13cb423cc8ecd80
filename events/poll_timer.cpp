#include "events/poll_timer.h"

#include <algorithm>
#include <array>
#include <vector>

#include "events/event_slots.h"
#include "events/polled_nodes.h"
#include "platform/com_ptr.h"
#include "platform/module_instance.h"
#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"
#include "mxaraid/interfaces.h"
#include "river/agent_call.h"
#include "river/river.h"

namespace swkv {

namespace {

constexpr std::uint32_t kNotArmed = 0xFFFFFFFFu;
std::uint32_t g_timerId = kNotArmed;

// Calls visit on each node that the list held when the walk began, in list order, with a
// reference held for the call. A refresh or a notification sink may release nodes, even the
// whole tree, while the pass works: a node that was destroyed meanwhile has left the list and is
// skipped, so nothing the tree let go of is visited or kept alive by the pass. A node still under
// construction (count 0) is its creator's and is not touched.
template <class Node, class Visit>
void Walk(std::vector<Node*>& list, Visit visit) {
  const std::vector<Node*> order = list;
  for (Node* node : order) {
    if (std::find(list.begin(), list.end(), node) == list.end()) continue;
    CRiver& river = node->polled_node();
    if (river.ref_count() == 0) continue;
    ComPtr<CRiver> held(&river);
    visit(*node);
  }
}

void AdvanceTick() {
  std::int32_t& count = PollTickCount();
  count = static_cast<std::int32_t>(static_cast<std::uint32_t>(count) + 1u);
}

}  // namespace

std::uint32_t PollTimerId() { return g_timerId; }

std::int32_t& PollTickCount() {
  static std::int32_t s_count = 0;
  return s_count;
}

void ArmPollTimer() {
  // Armed once: also a failed arming (identifier 0) is not tried again.
  if (g_timerId != kNotArmed) return;
  g_timerId = static_cast<std::uint32_t>(SetTimer(nullptr, 0, 1000, PollTimerProc));
  // Nothing kills the timer, so the module that holds its procedure stays loaded.
  if (g_timerId != 0) PinModule();
}

void CALLBACK PollTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (AgentCall::Active()) return;
  AgentCall pass;
  try {
    for (std::int32_t index = 0; index < ControllerCount(); ++index) {
      OpenController(index);
      std::int32_t update = 0;
      std::array<RaEventRecord, RA_MAX_EVENTS> records{};
      std::int32_t count = 0;
      // A failed fetch has no events to decode.
      if (RecordStatus(raGetEvents(records.data(), &count)) != 0) count = 0;
      RecordStatus(raNeedUpdate(&update));

      if (ArrayNodeList().empty()) break;
      Walk(ArrayNodeList(), [update](CPolledArray& array) {
        if (update)
          array.FullRefresh();
        else
          AdvanceTick();
      });

      if (ControllerNodeList().empty()) break;
      Walk(ControllerNodeList(), [&](CPolledController& controller) {
        if (PollTickCount() % 10 == 0) {
          controller.EnclosurePoll();
          controller.BatteryPoll();
        }
        if (update) {
          controller.polled_node().Refresh();
          controller.polled_node().FireNotification(kNotifyChanged);
        }
        // A controller's events belong to its own node: the next controller's batch must not
        // overwrite them before the agent read them.
        if (count > 0 && controller.polled_controller() == index)
          DecodeEvents(controller.polled_event_log(), records.data(), count);
      });
    }
  } catch (const std::bad_alloc&) {
    // Out of memory: this pass ends here; the next one tries again.
  }
  // The pass opened controllers behind the current one's back: open the current one again.
  OpenController(CurrentController());
}

}  // namespace swkv
