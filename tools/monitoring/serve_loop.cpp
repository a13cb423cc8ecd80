#include "tools/monitoring/serve_loop.h"

#include <cstdint>
#include <optional>

#include "tools/monitoring/http_exporter.h"
#include "tools/monitoring/prometheus_text.h"
#include "tools/monitoring/scrape.h"
#include "tools/monitoring/textfile.h"
#include "tools/swkvctl/arguments.h"
#include "tools/swkvctl/event_records.h"
#include "tools/swkvctl/failure.h"
#include "tools/swkvctl/host_system.h"
#include "tools/swkvctl/subscriptions.h"

namespace swkv::mon {

namespace {

constexpr const char* kDefaultListen = "127.0.0.1:9478";
// The textfile is written at most this often (milliseconds of the component's clock).
constexpr std::uint64_t kTextfilePeriod = 1000;

class Exporter {
 public:
  Exporter(IRiver* root, HttpExporter* http, std::optional<std::string> textfile)
      : m_root(root), m_http(http), m_textfile(std::move(textfile)) {}
  ~Exporter() { m_subscriptions.Clear(); }
  Exporter(const Exporter&) = delete;
  Exporter& operator=(const Exporter&) = delete;

  // Reads the tree and publishes what it found.
  void Update();

 private:
  void CountEvents(const ctl::TreeSnapshot& tree);

  IRiver* m_root;
  HttpExporter* m_http;
  std::optional<std::string> m_textfile;
  ctl::Subscriptions m_subscriptions;
  EventCounts m_events;
  std::string m_written;  // the textfile's text as last written
  std::optional<std::uint64_t> m_writtenAt;
};

void Exporter::CountEvents(const ctl::TreeSnapshot& tree) {
  // Each controller's own log, counted under that controller.
  for (const ctl::NodeRecord& node : tree.nodes()) {
    if (node.kind != ctl::kKindController) continue;
    ComPtr<IEventLog> log = ctl::EventLogOf(node.river.get());
    if (!log) continue;
    std::vector<ctl::EventRecord> records;
    ctl::ReadNewEvents(log.get(), records);
    for (const ctl::EventRecord& record : records)
      ++m_events[{node.path, record.SeverityWord(), record.parsed ? record.name : "unreadable"}];
  }
}

void Exporter::Update() {
  ctl::TreeSnapshot tree = ctl::TreeSnapshot::Take(m_root, "", ctl::kKindRoot);
  m_subscriptions.Follow(tree);
  CountEvents(tree);
  const SystemState state = ReadSystemState(tree);
  // Nodes come and go with the controllers' configuration: none is held between passes.
  tree.ReleaseNodes();
  // The notifications so far were the polling pass's or the status reads'; the next pass reads
  // the tree again whatever they said.
  m_subscriptions.Take();

  const ScrapeText scrape = Render(state, &m_events);
  if (m_http) m_http->Publish(scrape.metrics, scrape.health, scrape.healthy);
  if (!m_textfile || scrape.metrics == m_written) return;
  const std::uint64_t now = ctl::ClockMilliseconds();
  if (m_writtenAt && now - *m_writtenAt < kTextfilePeriod) return;
  WriteTextfile(*m_textfile, scrape.metrics);
  m_written = scrape.metrics;
  m_writtenAt = now;
}

}  // namespace

int Serve(ctl::Session& session, const std::vector<std::string>& words, std::ostream& out) {
  ctl::Arguments args(words);
  std::string listenText, textfileText;
  const bool listen = args.Value("--listen", listenText);
  const bool textfile = args.Value("--textfile", textfileText);
  args.Positional(0, 0, "serve [--listen ADDRESS:PORT] [--textfile FILE]");
  const bool http = listen || !textfile;
  if (http && !HttpExporter::Available())
    throw ctl::Failure(ctl::kExitUsage,
                       "serve: this build has no HTTP server; use serve --textfile FILE");
  // The address first: a port in use stops serve before it loads anything.
  HttpExporter exporter;
  const ListenAddress address = ListenAddress::Parse(listen ? listenText : kDefaultListen);
  const int port = http ? exporter.Bind(address) : 0;

  session.Open();
  ctl::InterruptScope interrupts;
  ctl::TerminateScope terminations;
  ctl::ClearInterrupt();
  Exporter serving(session.root(), http ? &exporter : nullptr,
                   textfile ? std::optional<std::string>(textfileText) : std::nullopt);
  // The first update writes the textfile: a folder that cannot take it stops serve here.
  serving.Update();
  std::string what;
  if (http) {
    exporter.Run();
    const std::string& host = address.host;
    what = "serving http://" + (host.find(':') == std::string::npos ? host : "[" + host + "]") +
           ":" + std::to_string(port) + "/metrics and /health";
  }
  if (textfile) what += (what.empty() ? "writing " : "; writing ") + textfileText;
  out << what << " (Ctrl-C stops)" << std::endl;
  ctl::MessageLoop& loop = session.loop();
  while (!ctl::Interrupted()) {
    if (loop.DispatchWaiting() > 0) serving.Update();
    loop.AdvanceTowards(UINT64_MAX);
  }
  exporter.Stop();
  ctl::ClearInterrupt();
  out << "stopped" << std::endl;
  return ctl::kExitOk;
}

}  // namespace swkv::mon
