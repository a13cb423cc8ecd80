// `swkvctl complete WORD...`: what Tab offers on swkvctl's own command line, for the bash and zsh
// completion that the package installs. The words are those after "swkvctl", the last one as typed
// so far ('' for none): commands, options, node paths of the live tree, entry and action names,
// one a line, only those that begin with the word.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/swkvctl/session.h"

namespace swkv::ctl {

// Prints the candidates; always 0 (no candidates when the component cannot be loaded).
int RunCompletion(const SessionOptions& options, const std::vector<std::string>& given,
                  std::ostream& out);

}  // namespace swkv::ctl
