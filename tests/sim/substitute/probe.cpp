// Built against the simulated library like the component; prints what raInitialize returns,
// from whichever library of that name the loader found.
#include <cstdio>

#include "raidlib/raidapikv9k.h"

int main() {
  int32_t index = 0;
  int32_t* selection = &index;
  std::printf("%d\n", static_cast<int>(raInitialize(&selection)));
  return 0;
}
