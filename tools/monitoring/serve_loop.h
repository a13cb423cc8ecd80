// serve: the long-running exporter. It loads the component once, subscribes to every node and
// runs the message loop, so that the component's own polling keeps the tree current; after each
// polling pass it reads the tree (the arrays' status live), counts the controllers' new events,
// and publishes the metrics and the verdict to the HTTP side and/or the textfile.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/swkvctl/session.h"

namespace swkv::mon {

int Serve(ctl::Session& session, const std::vector<std::string>& words, std::ostream& out);

}  // namespace swkv::mon
