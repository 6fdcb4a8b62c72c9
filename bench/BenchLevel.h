// OSTREL_BENCH_LEVEL (1 SSE2, 2 AVX2, 3 AVX-512) lowers the SDK's kernel level for a whole
// benchmark program, so a processor with AVX-512 also prints the AVX2 figures. The level in use
// is printed first; a level the processor lacks falls back to its best.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "alg/common/AlgCommon.h"

inline void applyBenchLevel() {
  using ostrel::alg::SimdLevel;
  if (const char* v = std::getenv("OSTREL_BENCH_LEVEL"); v != nullptr && v[0] >= '0' && v[0] <= '3')
    ostrel::alg::setSimdLevel(static_cast<SimdLevel>(v[0] - '0'));
  static const char* const names[] = {"scalar", "SSE2", "AVX2", "AVX-512"};
  std::printf("kernel level: %s\n", names[static_cast<int>(ostrel::alg::simdLevel())]);
}
