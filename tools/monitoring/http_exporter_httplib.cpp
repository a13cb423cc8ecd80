// The HTTP exporter on Debian's cpp-httplib.
#include <httplib.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>

#include "tools/monitoring/http_exporter.h"
#include "tools/swkvctl/failure.h"

namespace swkv::mon {

struct HttpExporter::Server {
  httplib::Server http;
  std::thread thread;
  std::mutex mutex;
  std::string metrics = "";
  std::string health = "{\"status\": \"UNKNOWN\", \"summary\": \"starting\"}\n";
  bool healthy = false;
};

bool HttpExporter::Available() { return true; }

HttpExporter::HttpExporter() : m_server(std::make_unique<Server>()) {}

HttpExporter::~HttpExporter() { Stop(); }

int HttpExporter::Bind(const ListenAddress& address) {
  Server& server = *m_server;
  server.http.Get("/metrics", [&server](const httplib::Request&, httplib::Response& response) {
    std::lock_guard<std::mutex> lock(server.mutex);
    response.set_content(server.metrics, "text/plain; version=0.0.4; charset=utf-8");
  });
  server.http.Get("/health", [&server](const httplib::Request&, httplib::Response& response) {
    std::lock_guard<std::mutex> lock(server.mutex);
    response.status = server.healthy ? 200 : 503;
    response.set_content(server.health, "application/json");
  });
  // httplib's default lets another process bind the same port (SO_REUSEPORT), so a second
  // exporter would silently share the scrapes: the address is reused only after a restart.
  server.http.set_socket_options([](socket_t socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  errno = 0;
  int port = address.port;
  const bool bound = port == 0 ? (port = server.http.bind_to_any_port(address.host)) > 0
                               : server.http.bind_to_port(address.host, port);
  if (!bound) {
    const int error = errno;
    throw ctl::Failure(ctl::kExitFailed,
                       "serve: cannot listen on " + address.host + ":" +
                           std::to_string(address.port) + ": " +
                           (error ? std::strerror(error) : "the address cannot be had here"));
  }
  return port;
}

void HttpExporter::Run() {
  Server& server = *m_server;
  server.thread = std::thread([&server] { server.http.listen_after_bind(); });
}

void HttpExporter::Publish(const std::string& metrics, const std::string& health, bool healthy) {
  std::lock_guard<std::mutex> lock(m_server->mutex);
  m_server->metrics = metrics;
  m_server->health = health;
  m_server->healthy = healthy;
}

void HttpExporter::Stop() {
  if (!m_server || !m_server->thread.joinable()) return;
  m_server->http.stop();
  m_server->thread.join();
}

}  // namespace swkv::mon
