// A build without an HTTP server library: serve writes the textfile only.
#include "tools/monitoring/http_exporter.h"
#include "tools/swkvctl/failure.h"

namespace swkv::mon {

struct HttpExporter::Server {};

bool HttpExporter::Available() { return false; }
HttpExporter::HttpExporter() = default;
HttpExporter::~HttpExporter() = default;

int HttpExporter::Bind(const ListenAddress&) {
  throw ctl::Failure(ctl::kExitUsage,
                     "serve: this build has no HTTP server; use serve --textfile FILE");
}

void HttpExporter::Run() {}
void HttpExporter::Publish(const std::string&, const std::string&, bool) {}
void HttpExporter::Stop() {}

}  // namespace swkv::mon
