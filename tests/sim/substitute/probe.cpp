// Built against the simulated library like the component; exits with what raInitialize returns,
// from whichever library of that name the loader found.
#include "raidlib/raidapikv9k.h"

int main() {
  int32_t index = 0;
  int32_t* selection = &index;
  return static_cast<int>(raInitialize(&selection));
}
