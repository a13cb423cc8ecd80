#include "events/poll_timer.h"

#include <array>
#include <vector>

#include "events/event_slots.h"
#include "platform/com_ptr.h"
#include "raidlib/raidapikv9k.h"
#include "raidlib/selection.h"
#include "river/agent_call.h"
#include "river/interfaces.h"
#include "tree/array_node.h"
#include "tree/array_node_list.h"
#include "tree/controller_node.h"
#include "tree/controller_node_list.h"
#include "tree/root_node.h"

namespace swkv {

namespace {

constexpr std::uint32_t kNotArmed = 0xFFFFFFFFu;
std::uint32_t g_timerId = kNotArmed;

// The nodes of a list, each held for the length of the walk: a refresh or a notification sink
// may remove nodes from the tree while the pass works on them.
template <class Node>
std::vector<ComPtr<Node>> Hold(const std::vector<Node*>& list) {
  std::vector<ComPtr<Node>> held;
  held.reserve(list.size());
  for (Node* node : list)
    if (node->ref_count() > 0) held.emplace_back(node);
  return held;
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
      for (const auto& array : Hold(ArrayNodeList())) {
        if (update)
          array->FullRefresh();
        else
          AdvanceTick();
      }

      if (ControllerNodeList().empty()) break;
      for (const auto& controller : Hold(ControllerNodeList())) {
        if (PollTickCount() % 10 == 0) {
          controller->EnclosurePoll();
          controller->BatteryPoll();
        }
        if (update) {
          controller->Refresh();
          controller->FireNotification(kNotifyChanged);
        }
        if (count > 0) DecodeEvents(controller->event_log(), records.data(), count);
      }
    }
  } catch (const std::bad_alloc&) {
    // Out of memory: this pass ends here; the next one tries again.
  }
  // The pass opened controllers behind the current one's back: open the current one again.
  OpenController(CurrentController());
}

}  // namespace swkv
