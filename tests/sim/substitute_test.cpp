// The component is linked against the controller library by name: a library of that name put
// first on the loader's search path replaces the simulator without a rebuild.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/files.h"

#ifdef SWKV_PROBE
#include <sys/wait.h>
#endif

namespace swkv::test {
namespace {

TEST(LibrarySubstitution, LibraryPathPutsAnotherLibraryFirst) {
#ifdef SWKV_PROBE
  for (const char* name : {"SWKV_SIM_SCENARIO", "SWKV_SIM_STATE", "SWKV_SIM_TRACE", "SWKV_SIM_CLOCK"})
    SetEnv(name, nullptr);
  // The probe exits with what raInitialize returned.
  EXPECT_EQ(WEXITSTATUS(std::system(SWKV_PROBE)), 0)
      << "the simulator, found through the build's RUNPATH";
  EXPECT_EQ(WEXITSTATUS(std::system("LD_LIBRARY_PATH=" SWKV_SUBSTITUTE_DIR " " SWKV_PROBE)), 42)
      << "RUNPATH, not RPATH: the library path wins";
#else
  GTEST_SKIP() << "built on POSIX only";
#endif
}

}  // namespace
}  // namespace swkv::test
