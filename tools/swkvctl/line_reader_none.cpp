// A build without a line-editing library: the shell reads plain lines.
#include "tools/swkvctl/line_reader.h"

namespace swkv::ctl {

std::unique_ptr<LineReader> MakeEditingReader(const std::string&, LineReader::Completer) {
  return nullptr;
}

}  // namespace swkv::ctl
