// The metrics file for a textfile collector, replaced whole: the text goes to a temporary file in
// the same folder, which is then renamed over the old one, so a collector never reads half a file
// and the last good file stays when writing fails.
#pragma once

#include <string>

namespace swkv::mon {

// Throws ctl::Failure (exit 1) saying what could not be done and why; the file named is then as
// it was before.
void WriteTextfile(const std::string& path, const std::string& text);

}  // namespace swkv::mon
