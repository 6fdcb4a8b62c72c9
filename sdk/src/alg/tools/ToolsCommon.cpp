// The one free of the fusion and mean filter objects: both begin with their buffer pointer.
#include <cstdlib>

#include "OstrelSDK.h"
#include "alg/tools/ToolsCommon.h"

extern "C" OSTREL_API void mixFree(void* pointerAddress) {
  if (!pointerAddress) return;
  auto** slot = static_cast<ostrel::alg::tools::BufferedObject**>(pointerAddress);
  if (*slot) {
    std::free((*slot)->buffer);
    std::free(*slot);
  }
  *slot = nullptr;
}

extern "C" OSTREL_API void Alg_MeanFree(void*) __attribute__((alias("mixFree")));
