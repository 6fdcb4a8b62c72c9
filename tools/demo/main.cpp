// Shows the SDK at work: initialise, then free, printing each status.
#include <cstdio>

#include "OstrelSDK.h"

int main() {
  int rc = Ostrel_InitSDK();
  std::printf("Ostrel_InitSDK: %d\n", rc);
  Ostrel_FreeSDK();
  std::printf("Ostrel_FreeSDK: done\n");
  return rc == 0 ? 0 : 1;
}
