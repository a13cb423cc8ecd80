// The system as Prometheus text exposition (format 0.0.4): base units, _info metrics with labels,
// and one series per state (1 for the current one) so that an alert matches a state by name.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <tuple>

#include "tools/monitoring/system_state.h"

namespace swkv::mon {

// Events counted from the controllers' event logs: (controller, severity, name) -> count.
using EventCounts = std::map<std::tuple<std::string, std::string, std::string>, std::uint64_t>;

// "a\"b" for a\"b: a label value escaped as the format asks (backslash, quote, line feed).
std::string LabelValue(const std::string& text);

// Writes every metric of the state, then swkv_events_total when events are given (only a
// long-running exporter counts them), then swkv_up 1.
void WriteMetrics(const SystemState& state, const EventCounts* events, std::ostream& out);
// What a scrape gives when the tree cannot be read: swkv_up 0 alone.
void WriteDownMetrics(std::ostream& out);

}  // namespace swkv::mon
