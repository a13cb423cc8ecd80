#include "tools/monitoring/scrape.h"

#include <sstream>

#include "tools/monitoring/verdict.h"

namespace swkv::mon {

ScrapeText Render(const SystemState& state, const EventCounts* events) {
  ScrapeText scrape;
  std::ostringstream metrics, health;
  WriteMetrics(state, events, metrics);
  const Verdict verdict = Judge(state, Thresholds{});
  PrintVerdictJson(verdict, health);
  scrape.metrics = metrics.str();
  scrape.health = health.str();
  scrape.healthy = verdict.severity == Severity::kOk || verdict.severity == Severity::kWarning;
  return scrape;
}

}  // namespace swkv::mon
