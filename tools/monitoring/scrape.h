// What one scrape answers: the metrics and the verdict as JSON, made from one reading of the
// tree. serve makes one after every polling pass; the benchmark and the soak measure it.
#pragma once

#include <string>

#include "tools/monitoring/prometheus_text.h"
#include "tools/monitoring/system_state.h"

namespace swkv::mon {

struct ScrapeText {
  std::string metrics;
  std::string health;    // the verdict, as health --json gives it
  bool healthy = false;  // OK or WARNING: GET /health answers 200, else 503
};

ScrapeText Render(const SystemState& state, const EventCounts* events);

}  // namespace swkv::mon
