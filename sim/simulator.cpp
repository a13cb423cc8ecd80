#include "sim/simulator.h"

#include <cstdlib>
#include <utility>

#include "sim/json_read.h"
#include "sim/scenario.h"
#include "sim/sim_control.h"
#include "sim/timeline.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace swkv::sim {

namespace {

std::string GetEnv(const char* name) {
#ifdef _WIN32
  // The library carries its own C runtime, whose environment copy a host's changes do not reach.
  char buffer[4096];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
#else
  const char* value = std::getenv(name);
  return value ? value : "";
#endif
}

std::string ParentDirectory(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

}  // namespace

bool ReadConfig(Config& config, std::string& error) {
  config = Config{};
  config.scenarioPath = GetEnv("SWKV_SIM_SCENARIO");
  config.statePath = GetEnv("SWKV_SIM_STATE");
  config.tracePath = GetEnv("SWKV_SIM_TRACE");
  std::string clock = GetEnv("SWKV_SIM_CLOCK");
  if (clock.empty() || clock == "wall") return true;
  if (clock.rfind("manual", 0) == 0) {
    config.manualClock = true;
    std::string step = clock.substr(6);
    if (step.empty()) return true;
    char* end = nullptr;
    double seconds = step[0] == '+' ? std::strtod(step.c_str() + 1, &end) : -1;
    if (end && *end == '\0' && seconds >= 0 && seconds < 1e9) {
      config.manualStepMs = static_cast<int64_t>(seconds * 1000);
      return true;
    }
  }
  error = "SWKV_SIM_CLOCK: \"" + clock + "\" is not wall, manual or manual+SECONDS";
  return false;
}

Simulator& Simulator::Instance() {
  // Never destroyed: a host may still call the library while the process's objects go.
  static Simulator* instance = new Simulator;
  return *instance;
}

void Simulator::Refuse(const std::string& message) {
  m_lastError = message;
  if (message != m_lastPrinted) {
    std::fprintf(stderr, "raidapikv9k: %s\n", message.c_str());
    std::fflush(stderr);
    m_lastPrinted = message;
  }
}

void Simulator::Configure() {
  m_configured = true;
  std::string error;
  if (!ReadConfig(m_config, error)) {
    Refuse(error);
    m_refusing = true;
    return;
  }
  if (m_config.manualClock) m_clock.Stop();
  if (!m_config.tracePath.empty()) {
    m_trace = std::fopen(m_config.tracePath.c_str(), "a");
    if (!m_trace) Refuse("SWKV_SIM_TRACE: cannot open " + m_config.tracePath);
  }
  // The scenario is checked even when a state file will be used instead, so that a mistake in
  // it shows at once and not on the day the state file is removed.
  Model probe;
  if (!FreshModel(probe)) m_refusing = true;
}

bool Simulator::ScenarioText(std::string& text, std::string& origin) {
  if (m_overrideScenario) {
    text = m_overrideText;
    origin = m_overrideOrigin;
    return true;
  }
  if (m_config.scenarioPath.empty()) {
    text = kDefaultScenario;
    origin = "(embedded default)";
    return true;
  }
  origin = m_config.scenarioPath;
  std::string error;
  if (!ReadWholeFile(m_config.scenarioPath, text, error)) {
    Refuse("scenario " + origin + ": " + error);
    return false;
  }
  return true;
}

bool Simulator::FreshModel(Model& out) {
  std::string text, origin;
  if (!ScenarioText(text, origin)) return false;
  try {
    out = ReadModel(text, m_clock.Now());
    return true;
  } catch (const DocumentError& e) {
    Refuse("scenario " + origin + ": at " + e.place + ": " + e.reason);
    return false;
  }
}

void Simulator::AdoptClock() {
  if (!m_clock.stopped()) return;
  if (!m_clockAdopted && m_config.manualClock) {
    // A manual clock goes on from where the previous manual process left it.
    m_clockAdopted = true;
    if (m_model.hasManualClock) m_clock.Set(m_model.manualClockMs);
    m_clock.Advance(m_config.manualStepMs);
  } else if (m_model.hasManualClock && m_model.manualClockMs > m_clock.Now()) {
    m_clock.Set(m_model.manualClockMs);
  }
}

bool Simulator::LockState() {
  const std::string& path = m_config.statePath;
  std::string error;
  std::string directory = ParentDirectory(path);
  if ((!directory.empty() && !EnsureDirectory(directory, error)) ||
      !m_lock.Acquire(path + ".lock", error)) {
    Refuse("state file " + path + ": " + error);
    return false;
  }
  return true;
}

bool Simulator::LoadState() {
  const std::string& path = m_config.statePath;
  if (!LockState()) return false;
  std::string error;
  std::string text;
  bool missing = false;
  if (!ReadWholeFile(path, text, error, &missing)) {
    if (!missing) {
      Refuse("state file " + path + ": " + error + "; it is left as it is");
      m_lock.Release();
      return false;
    }
    // No state yet (or it was removed): start from the scenario.
    if (!m_haveModel || !m_stateText.empty()) {
      Model fresh;
      if (!FreshModel(fresh)) {
        m_lock.Release();
        return false;
      }
      m_model = std::move(fresh);
      m_haveModel = true;
      m_stateText.clear();
    }
    return true;
  }
  if (m_haveModel && text == m_stateText) return true;
  try {
    Model loaded = ReadModel(text, m_clock.Now());
    // Faults count their calls in this process; a file that still has them keeps the count.
    for (std::size_t i = 0; i < loaded.faults.size() && i < m_model.faults.size(); ++i) {
      if (loaded.faults[i].SameRequest(m_model.faults[i]))
        loaded.faults[i].seen = m_model.faults[i].seen;
    }
    m_model = std::move(loaded);
    m_stateText = std::move(text);
    m_haveModel = true;
    return true;
  } catch (const DocumentError& e) {
    Refuse("state file " + path + ": at " + e.place + ": " + e.reason +
           "; it is left as it is (remove it to start again from the scenario)");
    m_lock.Release();
    return false;
  }
}

bool Simulator::Open() {
  if (!m_configured) Configure();
  if (m_refusing) return false;
  if (m_config.statePath.empty()) {
    if (!m_haveModel) {
      if (!FreshModel(m_model)) return false;
      m_haveModel = true;
    }
  } else if (!LoadState()) {
    return false;
  }
  AdoptClock();
  return true;
}

bool Simulator::Close(bool mayHaveChanged) {
  if (m_clock.stopped() && (!m_model.hasManualClock || m_model.manualClockMs != m_clock.Now())) {
    m_model.hasManualClock = true;
    m_model.manualClockMs = m_clock.Now();
    mayHaveChanged = true;
  }
  if (m_config.statePath.empty()) return true;
  if (!mayHaveChanged && !m_stateText.empty()) {
    m_lock.Release();
    return true;
  }
  bool ok = true;
  std::string text = WriteModel(m_model);
  if (text != m_stateText) {
    std::string error;
    if (ReplaceFileAtomically(m_config.statePath, text, error)) {
      m_stateText = std::move(text);
    } else {
      Refuse("state file " + m_config.statePath + ": " + error);
      m_haveModel = false;  // read the file again next time
      ok = false;
    }
  }
  m_lock.Release();
  return ok;
}

void Simulator::Abandon() {
  if (!m_config.statePath.empty()) m_haveModel = false;
  m_lock.Release();
}

void Simulator::Trace(const std::string& line) {
  if (!m_configured) Configure();
  if (!m_trace) return;
#ifdef _WIN32
  unsigned long pid = GetCurrentProcessId();
#else
  unsigned long pid = static_cast<unsigned long>(::getpid());
#endif
  std::fprintf(m_trace, "%lld [%lu] %s\n", static_cast<long long>(m_clock.Now()), pid,
               line.c_str());
  std::fflush(m_trace);
}

int32_t Simulator::Publish() {
  if (m_clock.stopped()) {
    m_model.hasManualClock = true;
    m_model.manualClockMs = m_clock.Now();
  }
  if (m_config.statePath.empty()) return 0;
  if (!LockState()) return SIM_E_UNAVAILABLE;
  std::string error;
  std::string text = WriteModel(m_model);
  if (!ReplaceFileAtomically(m_config.statePath, text, error)) {
    Refuse("state file " + m_config.statePath + ": " + error);
    m_lock.Release();
    return SIM_E_UNAVAILABLE;
  }
  m_stateText = std::move(text);
  m_lock.Release();
  return 0;
}

int32_t Simulator::LoadScenario(const std::string& text, const std::string& origin) {
  if (!m_configured) Configure();
  m_overrideScenario = true;
  m_overrideText = text;
  m_overrideOrigin = origin;
  Model fresh;
  if (!FreshModel(fresh)) {
    m_refusing = true;
    m_haveModel = false;
    return SIM_E_UNAVAILABLE;
  }
  m_refusing = false;
  m_lastError.clear();
  m_model = std::move(fresh);
  m_haveModel = true;
  m_open = -1;
  return Publish();
}

int32_t Simulator::RefuseScenario(const std::string& message) {
  if (!m_configured) Configure();
  Refuse(message);
  m_refusing = true;
  m_haveModel = false;
  return SIM_E_UNAVAILABLE;
}

int32_t Simulator::Reset() {
  if (m_trace) std::fclose(m_trace);
  m_trace = nullptr;
  m_configured = false;
  m_overrideScenario = false;
  m_refusing = false;
  m_haveModel = false;
  m_clockAdopted = false;
  m_model = Model{};
  m_stateText.clear();
  m_clock.Reset();
  m_counts.Clear();
  m_open = -1;
  m_lastError.clear();
  m_lastPrinted.clear();
  Configure();
  if (m_refusing || !FreshModel(m_model)) return SIM_E_UNAVAILABLE;
  m_haveModel = true;
  m_clockAdopted = true;
  m_clock.Advance(m_config.manualStepMs);
  return Publish();
}

int32_t Simulator::ApplyNow(const std::string& json) {
  if (!Open()) return SIM_E_UNAVAILABLE;
  int32_t status = 0;
  try {
    AdvanceModel(m_model, m_clock.Now());
    Action action = ReadAction(ParseDocument(json), "", m_model.controllers.size());
    status = ApplyAction(m_model, action, m_model.nowMs);
  } catch (const DocumentError& e) {
    Refuse("action: at " + e.place + ": " + e.reason);
    status = SIM_E_ARGUMENT;
  }
  return Close() ? status : SIM_E_UNAVAILABLE;
}

void Simulator::AddFault(const Fault& fault) {
  if (!Open()) return;
  m_model.faults.push_back(fault);
  Close();
}

void Simulator::ClearFaults() {
  if (!Open()) return;
  m_model.faults.clear();
  Close();
}

}  // namespace swkv::sim
