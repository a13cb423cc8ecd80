// The test API of sim_control.h.
#include "sim/sim_control.h"

#include <mutex>

#include "sim/simulator.h"
#include "sim/timeline.h"

using namespace swkv::sim;

namespace {

std::unique_lock<std::mutex> Lock() {
  return std::unique_lock<std::mutex>(Simulator::Instance().mutex());
}

int32_t AddFault(const char* function, int32_t controller, int32_t call, Fault fault) {
  if (!function || !FindFunction(function, fault.function) || controller < -1 || controller > 1 ||
      call < 0) {
    return SIM_E_ARGUMENT;
  }
  fault.controller = controller;
  fault.call = call;
  auto lock = Lock();
  Simulator::Instance().AddFault(fault);
  return 0;
}

}  // namespace

extern "C" {

RAEXPORT int32_t simLoadScenarioText(const char* json) {
  if (!json) return SIM_E_ARGUMENT;
  auto lock = Lock();
  return Simulator::Instance().LoadScenario(json, "(text)");
}

RAEXPORT int32_t simLoadScenarioFile(const char* path) {
  if (!path) return SIM_E_ARGUMENT;
  std::string text, error;
  auto lock = Lock();
  Simulator& sim = Simulator::Instance();
  if (!swkv::ReadWholeFile(path, text, error)) {
    // Refused like a scenario that does not parse: every call fails until one loads.
    return sim.RefuseScenario("scenario " + std::string(path) + ": " + error);
  }
  return sim.LoadScenario(text, path);
}

RAEXPORT int32_t simReset(void) {
  auto lock = Lock();
  return Simulator::Instance().Reset();
}

RAEXPORT const char* simLastError(void) {
  auto lock = Lock();
  return Simulator::Instance().lastError().c_str();
}

RAEXPORT void simStopClock(void) {
  auto lock = Lock();
  Simulator::Instance().clock().Stop();
}

RAEXPORT void simStartClock(void) {
  auto lock = Lock();
  Simulator::Instance().clock().Start();
}

RAEXPORT void simAdvanceClock(int64_t milliseconds) {
  auto lock = Lock();
  Simulator& sim = Simulator::Instance();
  sim.clock().Advance(milliseconds);
  // Let the model catch up at once, so that a state file shows the new time too.
  if (sim.Open()) {
    AdvanceModel(sim.model(), sim.clock().Now());
    sim.Close();
  }
}

RAEXPORT int64_t simNow(void) {
  auto lock = Lock();
  return Simulator::Instance().clock().Now();
}

RAEXPORT void simFollowClock(int64_t (*now)(void)) {
  auto lock = Lock();
  Simulator::Instance().clock().Follow(now);
}

RAEXPORT int32_t simFailCall(const char* function, int32_t controller, int32_t call,
                             int32_t status) {
  Fault f;
  f.kind = FaultKind::Fail;
  f.status = status;
  return AddFault(function, controller, call, f);
}

RAEXPORT int32_t simMisbehave(const char* function, int32_t controller, int32_t call, int32_t kind,
                              int32_t output, int32_t value) {
  Fault f;
  switch (kind) {
    case SIM_MISBEHAVE_COUNT: f.kind = FaultKind::Count; break;
    case SIM_MISBEHAVE_UNTERMINATED: f.kind = FaultKind::Unterminated; break;
    case SIM_MISBEHAVE_OUTPUT: f.kind = FaultKind::Output; break;
    case SIM_MISBEHAVE_SILENT: f.kind = FaultKind::Silent; break;
    default: return SIM_E_ARGUMENT;
  }
  f.output = output;
  f.value = value;
  return AddFault(function, controller, call, f);
}

RAEXPORT void simClearFaults(void) {
  auto lock = Lock();
  Simulator::Instance().ClearFaults();
}

RAEXPORT int32_t simApply(const char* json) {
  if (!json) return SIM_E_ARGUMENT;
  auto lock = Lock();
  return Simulator::Instance().ApplyNow(json);
}

RAEXPORT int64_t simCallCount(const char* function, int32_t controller) {
  Fn fn;
  if (!function || !FindFunction(function, fn)) return -1;
  auto lock = Lock();
  return Simulator::Instance().counts().Get(fn, controller);
}

RAEXPORT void simResetCallCounts(void) {
  auto lock = Lock();
  Simulator::Instance().counts().Clear();
}

RAEXPORT int32_t simOpenController(void) {
  auto lock = Lock();
  return Simulator::Instance().openController();
}

}  // extern "C"
