// The simulator of this process: its configuration, the model (kept in memory or in the state
// file), and what belongs to the process alone: the open controller, the clock, call counts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/file_io.h"
#include "sim/clock.h"
#include "sim/faults.h"
#include "sim/model.h"

namespace swkv::sim {

struct Config {
  std::string scenarioPath;  // empty: the embedded default
  std::string statePath;     // empty: the model lives in memory
  std::string tracePath;
  bool manualClock = false;
  int64_t manualStepMs = 0;  // "manual+N": moved on once when the process starts
};

// Reads SWKV_SIM_SCENARIO, SWKV_SIM_STATE, SWKV_SIM_TRACE and SWKV_SIM_CLOCK. An unreadable clock
// setting is refused with a message in error.
bool ReadConfig(Config& config, std::string& error);

class Simulator {
 public:
  static Simulator& Instance();

  // Every entry point holds it: the library may be called from several threads.
  std::mutex& mutex() { return m_mutex; }

  // Readies the model for a call: the configuration on first use, and with a state file its lock
  // and its latest contents. False (with the refusal on stderr) when the model is unavailable.
  bool Open();
  // Ends a call: with a state file saves a changed model atomically and drops the lock. False when
  // a change could not be saved. A call that cannot have changed the model (a query, with nothing
  // falling due) says so, and the model is not written out to compare.
  bool Close(bool mayHaveChanged = true);
  // Ends a call that went wrong half-way: nothing is saved, and the model is read again next time.
  void Abandon();

  Model& model() { return m_model; }
  Clock& clock() { return m_clock; }
  CallCounts& counts() { return m_counts; }
  int& openController() { return m_open; }
  void Trace(const std::string& line);

  // The test API's operations.
  int32_t LoadScenario(const std::string& text, const std::string& origin);
  // A scenario that could not even be read: refused like one that does not parse.
  int32_t RefuseScenario(const std::string& message);
  int32_t Reset();
  int32_t ApplyNow(const std::string& json);
  void AddFault(const Fault& fault);
  void ClearFaults();
  const std::string& lastError() const { return m_lastError; }

 private:
  void Configure();
  // The scenario's text and a name for it in messages; false when it cannot be read.
  bool ScenarioText(std::string& text, std::string& origin);
  // A new model from the scenario, starting now; false (refused) when it is not valid.
  bool FreshModel(Model& out);
  // Takes the state file's lock, making its directory when missing; false (refused) when not.
  bool LockState();
  // Loads the state file under the lock; false when it cannot be used.
  bool LoadState();
  void AdoptClock();
  // Saves the model now (explicit requests of the test API); takes the lock itself.
  int32_t Publish();
  void Refuse(const std::string& message);

  std::mutex m_mutex;
  bool m_configured = false;
  Config m_config;
  bool m_overrideScenario = false;  // a scenario loaded through the test API
  std::string m_overrideText, m_overrideOrigin;
  bool m_refusing = false;  // the scenario was refused: every call fails
  bool m_haveModel = false;
  bool m_clockAdopted = false;
  Model m_model;
  std::string m_stateText;  // the state file as last read or written
  FileLock m_lock;
  Clock m_clock;
  CallCounts m_counts;
  int m_open = -1;
  std::FILE* m_trace = nullptr;
  std::string m_lastError, m_lastPrinted;
};

}  // namespace swkv::sim
