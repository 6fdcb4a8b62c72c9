// Destripe row step on eight rows at once in 32-bit integer lanes (DestripeRowsAvx2.cpp), from
// SimdLevel::Avx2 up, for row groups whose value range keeps every intermediate below 2^31; it
// gives the scalar step's integers, and wider groups take the double-precision row kernel.
//
// The rows are transposed so that each register holds one column of the eight rows: the window
// sums then run along the row by one entering and one leaving column, whatever the radius.
// Codes are taken relative to the group's mid value m (variances do not change; the base moves
// by m), which keeps sums of squares small for ordinary scenes.
#pragma once

#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#define OSTREL_AVX2_ROWS __attribute__((target("avx2")))

namespace ostrel::alg {

struct DestripGroupPlan {
  int w = 0, r = 0, w0 = 1;
  int32_t c0 = 1;               // (w0 x s0_regular)^2, below kDestripGroupMaxC0
  const int32_t* mx = nullptr;  // w + 2r mirrored columns
  // Work planes of (w + 2r) x 8 values (column-major: one register per column), and w x 8 details.
  int32_t *d = nullptr, *sq = nullptr, *a = nullptr, *b = nullptr;
  int16_t* det = nullptr;
};

// The coefficient test below needs k c0 + 1023 < 2^31 for k up to 1024.
constexpr int32_t kDestripGroupMaxC0 = (1 << 21) - 1;

// Half range H of a group (largest distance of a code from the mid value) that 32-bit lanes
// carry exactly for window width w0: w0 S2 and S1^2 are at most w0^2 H^2, the base's numerator
// |Sa w0 d + Sb| at most 2047 w0^2 H, and the remainder test adds a divisor 1024 w0^2.
inline bool destripGroupFits(int64_t w0, int64_t halfRange) {
  const int64_t limit = int64_t(1) << 31;
  return w0 * w0 * halfRange * halfRange < limit && 2048 * w0 * w0 * (halfRange + 1) < limit;
}

// Eight rows of the row step; rows[j] and det[j] may repeat a row (the same row gives the same
// details). False, with nothing written, when the group's range does not fit (see above).
bool destripRowGroupAvx2(const int16_t* const rows[8], const DestripGroupPlan& p, int16_t* const det[8]);
// The same on sixteen rows (DestripeRowsAvx512.cpp, from SimdLevel::Avx512 up); the work planes
// then hold (w + 2r) x 16 values and the details w x 16.
bool destripRowGroupAvx512(const int16_t* const rows[16], const DestripGroupPlan& p, int16_t* const det[16]);

// Eight rows of eight int16 to eight columns of eight rows (SSE2, which every x86-64 has).
inline void destripTranspose8x8(__m128i* v) {
  const __m128i a0 = _mm_unpacklo_epi16(v[0], v[1]), a1 = _mm_unpackhi_epi16(v[0], v[1]);
  const __m128i a2 = _mm_unpacklo_epi16(v[2], v[3]), a3 = _mm_unpackhi_epi16(v[2], v[3]);
  const __m128i a4 = _mm_unpacklo_epi16(v[4], v[5]), a5 = _mm_unpackhi_epi16(v[4], v[5]);
  const __m128i a6 = _mm_unpacklo_epi16(v[6], v[7]), a7 = _mm_unpackhi_epi16(v[6], v[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  v[0] = _mm_unpacklo_epi64(b0, b4), v[1] = _mm_unpackhi_epi64(b0, b4);
  v[2] = _mm_unpacklo_epi64(b1, b5), v[3] = _mm_unpackhi_epi64(b1, b5);
  v[4] = _mm_unpacklo_epi64(b2, b6), v[5] = _mm_unpackhi_epi64(b2, b6);
  v[6] = _mm_unpacklo_epi64(b3, b7), v[7] = _mm_unpackhi_epi64(b3, b7);
}

// Columns outside the row repeat the mirrored inside columns (mx holds column indices); a plane
// of `lanes` rows holds one column of them per `lanes` values.
inline void destripMirrorEnds(int32_t* plane, const DestripGroupPlan& p, int lanes) {
  const size_t bytes = sizeof(int32_t) * lanes;
  for (int e = 0; e < p.r; ++e) std::memcpy(plane + lanes * e, plane + lanes * (p.r + p.mx[e]), bytes);
  for (int e = p.r + p.w; e < p.w + 2 * p.r; ++e)
    std::memcpy(plane + lanes * e, plane + lanes * (p.r + p.mx[e]), bytes);
}

// a = coefficient for the scaled variance v (0 <= v < 2^21) as the reciprocal table holds it,
// floor(v 2^20 / (c0 + 1024 v)), for 0 < c0 <= kDestripGroupMaxC0. A single-precision quotient
// lies within 2^-12 of the real one, so a is k - 1 or k for k = floor(approx - 1/4) + 1, and
// a >= k exactly when v (1024 - k) >= ceil(k c0 / 1024), both sides exact 32-bit integers.
OSTREL_AVX2_ROWS inline __m256i destripCoefEpi32(__m256i v, __m256i c0, __m256 c0f) {
  const __m256 vf = _mm256_cvtepi32_ps(v);
  const __m256 approx =
      _mm256_div_ps(_mm256_mul_ps(vf, _mm256_set1_ps(1024.0f)), _mm256_add_ps(vf, c0f));
  const __m256i k = _mm256_add_epi32(
      _mm256_cvtps_epi32(_mm256_floor_ps(_mm256_sub_ps(approx, _mm256_set1_ps(0.25f)))), _mm256_set1_epi32(1));
  const __m256i lhs = _mm256_mullo_epi32(v, _mm256_sub_epi32(_mm256_set1_epi32(1024), k));
  const __m256i rhs = _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(k, c0), _mm256_set1_epi32(1023)), 10);
  return _mm256_add_epi32(k, _mm256_cmpgt_epi32(rhs, lhs));  // k - 1 where lhs < rhs
}

// floor(n / (1024 sq)) for |n| < 2^31 and 1 <= sq <= 1089, with invSq = 1/sq and halfStep = 1/(2 sq)
// rounded to single precision. floor(n / 1024) = n >> 10 is exact in single precision, and
// t = n >> 10 over sq has a fraction that is a multiple of 1/sq: t invSq lies within 1/(4 sq)
// of t / sq (|t / sq| <= 2^21 / sq, two roundings of 2^-24) and adding half a step (one more
// rounding, below 1/(8 sq)) puts the sum strictly inside the step above the quotient's floor.
OSTREL_AVX2_ROWS inline __m256i destripFloorDivDnEpi32(__m256i n, __m256 invSq, __m256 halfStep) {
  const __m256 t = _mm256_cvtepi32_ps(_mm256_srai_epi32(n, 10));
  return _mm256_cvtps_epi32(_mm256_floor_ps(_mm256_add_ps(_mm256_mul_ps(t, invSq), halfStep)));
}

}  // namespace ostrel::alg
