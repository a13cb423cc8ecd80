#include "sim/call.h"

#include <new>
#include <type_traits>
#include <vector>

#include "sim/sim_control.h"
#include "sim/simulator.h"
#include "sim/timeline.h"

namespace swkv::sim {

std::string Args() { return ""; }

std::string Quoted(const char* text) {
  if (!text) return "null";
  std::string s(text);
  if (s.size() > 80) s = s.substr(0, 80) + "...";
  return "\"" + s + "\"";
}

void Call::Put(const Output& output, int64_t value) {
  std::visit([value](auto* p) { *p = static_cast<std::remove_pointer_t<decltype(p)>>(value); },
             output);
}

void Call::Override(const FaultEffect& effect) {
  for (const auto& [output, value] : effect.outputs) {
    if (output < 0 || static_cast<std::size_t>(output) >= m_outputs.size()) continue;
    Put(m_outputs[static_cast<std::size_t>(output)], value);
  }
}

std::string Call::Written() const {
  std::string text;
  for (const Output& o : m_outputs) {
    text += " ";
    std::visit([&](auto* p) { text += std::to_string(*p); }, o);
  }
  return text;
}

int32_t Call::Run(const Body& body) {
  Simulator& sim = Simulator::Instance();
  std::lock_guard<std::mutex> guard(sim.mutex());
  int32_t status = SIM_E_UNAVAILABLE;
  int index = m_target == Target::Open || m_index == kOpenOne ? -1 : m_index;
  try {
    if (!sim.Open()) {
      sim.counts().Count(m_fn, index);
    } else {
      Model& m = sim.model();
      bool advanced = AdvanceModel(m, sim.clock().Now());
      if (m_target == Target::Open || m_index == kOpenOne) index = sim.openController();
      sim.counts().Count(m_fn, index);
      FaultEffect effect = MatchFaults(m.faults, m_fn, index);
      bool exists = index >= 0 && static_cast<std::size_t>(index) < m.controllers.size();
      bool nullOutput = false;
      for (const Output& o : m_outputs) {
        std::visit([&](auto* p) { nullOutput = nullOutput || !p; }, o);
      }
      if (effect.fail) {
        status = effect.status;
      } else if ((m_target == Target::Open && !exists) ||
                 (m_target == Target::Named && sim.openController() < 0)) {
        status = SIM_E_NOT_OPEN;
      } else if (nullOutput) {
        status = SIM_E_ARGUMENT;
      } else {
        Context ctx{sim,
                    m,
                    exists ? &m.controllers[static_cast<std::size_t>(index)] : nullptr,
                    exists ? index : -1,
                    effect,
                    m.nowMs};
        std::vector<int64_t> held;
        if (effect.silent) {
          for (const Output& o : m_outputs)
            std::visit([&](auto* p) { held.push_back(static_cast<int64_t>(*p)); }, o);
        }
        status = body(ctx);
        if (status == 0) Override(effect);
        // A silent call succeeds without writing: what the caller's variables held stays.
        for (std::size_t i = 0; i < held.size(); ++i) Put(m_outputs[i], held[i]);
      }
      if (!sim.Close(advanced || ChangesModel(m_fn)) && status == 0) status = SIM_E_UNAVAILABLE;
    }
  } catch (...) {
    // Out of memory, or a document the library itself wrote and cannot read: nothing is saved.
    sim.Abandon();
    status = SIM_E_UNAVAILABLE;
  }
  std::string line = "c";
  line += std::to_string(index);
  line += " ";
  line += FunctionName(m_fn);
  line += "(" + m_args + ") = ";
  line += std::to_string(status);
  if (status == 0 && !m_outputs.empty()) {
    line += " ->";
    line += Written();
  }
  sim.Trace(line);
  return status;
}

}  // namespace swkv::sim
