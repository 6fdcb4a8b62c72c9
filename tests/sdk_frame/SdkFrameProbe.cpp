// Logs through the program's own logger around Ostrel_InitSDK and Ostrel_FreeSDK.
// Usage: sdk_frame_probe <program log prefix>. Prints both status codes.
#include <cstdio>

#include "OstrelSDK.h"
#include "foundation/Logger.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  ostrel::logSetPathPrefix(ostrel::logDefault(), argv[1]);
  OSTREL_LOG("before init");
  int rc = Ostrel_InitSDK();
  OSTREL_LOG("after init %d", rc);
  Ostrel_FreeSDK();
  OSTREL_LOG("after free");
  int again = Ostrel_InitSDK();
  Ostrel_FreeSDK();
  std::printf("%d %d\n", rc, again);
  return 0;
}
