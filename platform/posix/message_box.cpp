#include <cstdio>
#include <string>

#include "platform/win.h"

extern "C" int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
  // One write for the whole line, so that lines of different threads do not interleave.
  std::string line = caption ? caption : "Error";
  line += ": ";
  line += text ? text : "";
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return IDOK;
}
