// swkvctl's monitoring commands: health (a plugin's verdict), metrics (Prometheus text) and serve
// (a long-running exporter). Each runs in a session of swkvctl and returns its exit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/monitoring/system_state.h"
#include "tools/swkvctl/session.h"

namespace swkv::mon {

bool IsMonitoringCommand(const std::string& name);
// words[0] is the command's name. Failures are printed to err ("swkvctl: ..."), but for health,
// which answers as a plugin does, on out with exit code 3.
int RunMonitoringCommand(ctl::Session& session, const std::vector<std::string>& words,
                         std::ostream& out, std::ostream& err);

// The pieces the commands share with the benchmark: the state of the tree below node (a root or
// a controller), with the arrays' status read live.
SystemState ReadState(IRiver* node, const std::string& path, int kind);

}  // namespace swkv::mon
