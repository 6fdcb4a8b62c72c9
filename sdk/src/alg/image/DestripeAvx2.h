// AVX2 forms of the destripe steps (DestripeAvx2.cpp), used from SimdLevel::Avx2 up; each gives
// the integers of the scalar step in Destripe.cpp.
#pragma once

#include <cstdint>

#include "GuidedCore.h"

namespace ostrel::alg {

// One row of the row step: the table and constants of the state and four work rows of at least
// w + 2r + 8 doubles.
struct DestripRowPlan {
  int w = 0, r = 0;
  int64_t w0 = 1, c0 = 1, tableSize = 1;
  const int32_t* mx = nullptr;  // w + 2r mirrored columns
  const uint16_t* table = nullptr;
  double *v = nullptr, *v2 = nullptr, *a = nullptr, *b = nullptr;
};
// det = the row's fine detail v - base along the row.
void destripRowAvx2(const int16_t* row, const DestripRowPlan& p, int16_t* det);
// The column step's next row: acc += add - sub (both null: acc as it is), then
// est = sat16(acc / w1), truncated (the magic-number division gives the same quotient).
// |acc| stays below 33 x 32768 (a window of at most 33 int16 values).
void destripColumnRowAvx2(int32_t* acc, const int16_t* add, const int16_t* sub, int w, int32_t w1, int16_t* est);
// row = row - est, saturated.
void destripSubtractRowAvx2(int16_t* row, const int16_t* est, int w);

}  // namespace ostrel::alg
