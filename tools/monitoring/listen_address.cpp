#include <cstdlib>

#include "tools/monitoring/http_exporter.h"
#include "tools/swkvctl/failure.h"

namespace swkv::mon {

ListenAddress ListenAddress::Parse(const std::string& text) {
  auto malformed = [&](const std::string& why) {
    return ctl::Failure(ctl::kExitUsage, "serve: --listen takes ADDRESS:PORT (127.0.0.1:9478 or "
                                         "[::1]:9478), not '" + text + "': " + why);
  };
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) throw malformed("no port");
  ListenAddress address;
  address.host = text.substr(0, colon);
  if (address.host.size() >= 2 && address.host.front() == '[' && address.host.back() == ']')
    address.host = address.host.substr(1, address.host.size() - 2);
  else if (address.host.find(':') != std::string::npos)
    throw malformed("an IPv6 address goes in brackets");
  if (address.host.empty()) throw malformed("no address");
  const std::string port = text.substr(colon + 1);
  char* end = nullptr;
  const long number = std::strtol(port.c_str(), &end, 10);
  if (port.empty() || port.size() > 5 || !end || *end != '\0' || port[0] == '-' || number > 65535)
    throw malformed("the port is a number from 0 to 65535");
  address.port = static_cast<int>(number);
  return address;
}

}  // namespace swkv::mon
