// Whole-frame scan of mtGetResult_GMO in its two forms, for tests and benchmarks.
#pragma once

#include <cstdint>

namespace ostrel::alg {

struct GmoScan {
  int maxCode, minCode;
  int maxX, maxY, minX, minY;
  int meanCode;  // sum / pixels, truncated toward zero
};

void gmoScanScalar(const int16_t* codes, int w, int h, GmoScan* out);
void gmoScanVector(const int16_t* codes, int w, int h, GmoScan* out);

}  // namespace ostrel::alg
