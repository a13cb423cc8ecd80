// Scenario and state documents: the JSON that describes the controllers (and, in a state file,
// everything they have been through since), read into a model and written back.
#pragma once

#include <cstdint>
#include <string>

#include "sim/model.h"

namespace swkv::sim {

// Reads a scenario or state document. A scenario starts at now: the timeline and the progress
// of activities count from there. Refuses with a DocumentError (place and reason).
Model ReadModel(const std::string& text, int64_t now);

// The state document of the model: a scenario with the runtime fields that reproduce it.
std::string WriteModel(const Model& m);

// The embedded default scenario.
extern const char* const kDefaultScenario;

}  // namespace swkv::sim
