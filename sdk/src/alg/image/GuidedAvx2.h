// AVX2 row kernels of the guided filters, used from SimdLevel::Avx2 up. Each gives the same
// integers as the scalar reference in GuidedCore.h and the filters.
//
// The per-pixel arithmetic runs in double precision, four pixels a register: every intermediate
// is an integer below 2^53 in magnitude (so sums, products and the power-of-two floors are
// exact), and floor(x / d) of such an x comes out exact from one correctly rounded division (a
// quotient that is not an integer lies at least 1/d from one, further than the rounding error
// |x / d| x 2^-53 < 1/d). The bounds hold for 16-bit codes (or codes minus a centre, within
// +-65535), radii up to 16 and coefficients a in 0..1024.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "GuidedCore.h"

namespace ostrel::alg {

// Coefficient indices below this take the reciprocal formula in double precision (the numerator
// v x 2^20 stays below 2^53).
constexpr double kCoefFormulaLimit = 8589934592.0;  // 2^33

// floor(v 2^20 / (c + 1024 v)) for 0 <= v < kCoefFormulaLimit, 0 for v = 0: the reciprocal
// table's entries and the formula coefLookup uses past the table.
__attribute__((target("avx2"))) inline __m256d coefPd(__m256d v, __m256d c) {
  const __m256d q = _mm256_floor_pd(_mm256_div_pd(_mm256_mul_pd(v, _mm256_set1_pd(1048576.0)),
                                          _mm256_add_pd(c, _mm256_mul_pd(v, _mm256_set1_pd(1024.0)))));
  return _mm256_and_pd(q, _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_NEQ_OQ));
}


// Division by a fixed d > 0 without dividing: x times the rounded reciprocal lies within one of
// x / d (|x| < 2^53), and the remainder x - q d, exact in double, says which. floor(x / d):
__attribute__((target("avx2"))) inline __m256d floorDivPd(__m256d x, __m256d d, __m256d inv) {
  const __m256d q = _mm256_floor_pd(_mm256_mul_pd(x, inv));
  const __m256d r = _mm256_sub_pd(x, _mm256_mul_pd(q, d));
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d up = _mm256_and_pd(_mm256_cmp_pd(r, d, _CMP_GE_OQ), one);
  const __m256d down = _mm256_and_pd(_mm256_cmp_pd(r, _mm256_setzero_pd(), _CMP_LT_OQ), one);
  return _mm256_sub_pd(_mm256_add_pd(q, up), down);
}
// trunc(x / d), as C++ integer division gives it.
__attribute__((target("avx2"))) inline __m256d truncDivPd(__m256d x, __m256d d, __m256d inv) {
  const __m256d q = floorDivPd(x, d, inv);
  const __m256d inexact = _mm256_cmp_pd(_mm256_mul_pd(q, d), x, _CMP_NEQ_OQ);
  const __m256d negative = _mm256_cmp_pd(x, _mm256_setzero_pd(), _CMP_LT_OQ);
  return _mm256_add_pd(q, _mm256_and_pd(_mm256_and_pd(inexact, negative), _mm256_set1_pd(1.0)));
}

// The row steps of both passes are declared in GuidedCore.h, which the templates there call.
// Column sums: c1 += in - out, c2 += in^2 - out^2 over n values (int16 and int32 guides).
void colAddSubSq16Avx2(int32_t* c1, int64_t* c2, const int16_t* in, const int16_t* out, int n);
void colAddSubSq32Avx2(int32_t* c1, int64_t* c2, const int32_t* in, const int32_t* out, int n);
// ca += ai - ao, cb += bi - bo over n values (ao and bo null: ca += ai, cb += bi).
void colAddSubABAvx2(int32_t* ca, int64_t* cb, const int32_t* ai, const int32_t* ao, const int32_t* bi,
                     const int32_t* bo, int n);

// Denoise output of one row: row[x] = sat16(floor((floor(n v sa / 1024) + sb) / nn)).
void denoiseRowAvx2(int16_t* row, const int32_t* sa, const int64_t* sb, int w, int64_t n, int64_t nn);

// Detail output of one row, the frame guiding itself with window sums of two filters (or one
// with `denoised` set): see detailFilter in Detail.cpp for the formulas.
struct DetailRowArgs {
  int64_t n = 49, nn = 2401;
  int64_t gn1 = 0, gn2 = 0, switchG = 0;
  int shiftDn = 0;
  int32_t c0 = 0, lowest = 0, highest = 0;
};
void detailRowAvx2(const int16_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2, const int64_t* sb2,
                   int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k);
void detailRowAvx2(const int32_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2, const int64_t* sb2,
                   int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k);

}  // namespace ostrel::alg
