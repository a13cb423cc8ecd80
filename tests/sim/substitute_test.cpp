// The component is linked against the controller library by name: a library of that name put
// first on the loader's search path replaces the simulator without a rebuild.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/files.h"

namespace swkv::test {
namespace {

#ifdef SWKV_PROBE
std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "cannot run";
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  pclose(pipe);
  return output;
}
#endif

TEST(LibrarySubstitution, LibraryPathPutsAnotherLibraryFirst) {
#ifdef SWKV_PROBE
  for (const char* name : {"SWKV_SIM_SCENARIO", "SWKV_SIM_STATE", "SWKV_SIM_TRACE", "SWKV_SIM_CLOCK"})
    SetEnv(name, nullptr);
  EXPECT_EQ(Output(SWKV_PROBE), "0\n") << "the simulator, found through the build's RUNPATH";
  EXPECT_EQ(Output("LD_LIBRARY_PATH=" SWKV_SUBSTITUTE_DIR " " SWKV_PROBE), "4242\n")
      << "RUNPATH, not RPATH: the library path wins";
#else
  GTEST_SKIP() << "built on POSIX only";
#endif
}

}  // namespace
}  // namespace swkv::test
