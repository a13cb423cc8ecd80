// The exporter's HTTP side: GET /metrics and GET /health answered from what the serving thread
// last published. The HTTP threads never call into the component (it is apartment-threaded and
// lives on the serving thread); a scrape only copies the published text.
#pragma once

#include <memory>
#include <string>

namespace swkv::mon {

// "127.0.0.1:9478" taken apart; "[::1]:9478" for an IPv6 address. Throws ctl::Failure (usage)
// for anything else, or a port outside 0 to 65535 (0: any free port).
struct ListenAddress {
  std::string host;
  int port = 0;
  static ListenAddress Parse(const std::string& text);
};

class HttpExporter {
 public:
  // False in a build without an HTTP server library (the Windows build).
  static bool Available();

  HttpExporter();
  ~HttpExporter();  // stops serving
  HttpExporter(const HttpExporter&) = delete;
  HttpExporter& operator=(const HttpExporter&) = delete;

  // Binds the address (connections wait from then on) and returns the port bound. Throws
  // ctl::Failure when the address cannot be had (in use, not this machine's).
  int Bind(const ListenAddress& address);
  // Starts answering, on threads of its own.
  void Run();
  // What the next scrapes get. healthy decides /health's status: 200, else 503.
  void Publish(const std::string& metrics, const std::string& health, bool healthy);
  void Stop();

 private:
  struct Server;
  std::unique_ptr<Server> m_server;
};

}  // namespace swkv::mon
