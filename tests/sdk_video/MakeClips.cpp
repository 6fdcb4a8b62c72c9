// Encodes the suites' clips with the video library, once per test run (the CTest fixture that
// every video case requires), so a changed encoder shows in the next run.
#include <cstdio>

#include "VideoKit.h"

int main() {
  for (bool mixed : {false, true})
    if (vpk::clipPath(320, 240, mixed, /*remake=*/true).empty()) {
      std::fprintf(stderr, "cannot encode the %s clip\n", mixed ? "mixed" : "video");
      return 1;
    }
  return 0;
}
