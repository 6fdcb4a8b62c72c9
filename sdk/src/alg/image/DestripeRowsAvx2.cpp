// Destripe row step on eight transposed rows in 32-bit lanes. Every lane value below is an exact
// integer: destripGroupFits bounds the sums (wrapping adds and multiplies are harmless where a
// later difference brings the value back inside 32 bits).
#include "DestripeRowsAvx2.h"
#include "Stretch.h"

#include <algorithm>

namespace ostrel::alg {

namespace {

OSTREL_AVX2_ROWS inline __m256i col(const int32_t* plane, int e) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(plane + 8 * e));
}
OSTREL_AVX2_ROWS inline void setCol(int32_t* plane, int e, __m256i v) {
  _mm256_store_si256(reinterpret_cast<__m256i*>(plane + 8 * e), v);
}

}  // namespace

OSTREL_AVX2_ROWS bool destripRowGroupAvx2(const int16_t* const rows[8], const DestripGroupPlan& p,
                                          int16_t* const det[8]) {
  const int w = p.w, r = p.r, taps = 2 * r + 1;
  int lowest = 32767, highest = -32768;
  for (int j = 0; j < 8; ++j) {
    int lo = 0, hi = 0;
    codeRangeAvx2(rows[j], w, &lo, &hi);
    lowest = std::min(lowest, lo), highest = std::max(highest, hi);
  }
  const int m = (lowest + highest) >> 1;  // floor, also below zero
  if (!destripGroupFits(p.w0, std::max(highest - m, m - lowest)) || p.c0 > kDestripGroupMaxC0 || p.c0 < 1)
    return false;

  // Codes relative to m and their squares, one column of the eight rows per register.
  const __m256i mv = _mm256_set1_epi32(m);
  int32_t* const dp = p.d;
  int32_t* const sqp = p.sq;
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    __m128i v[8];
    for (int j = 0; j < 8; ++j) v[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[j] + x));
    destripTranspose8x8(v);
    for (int i = 0; i < 8; ++i) {
      const __m256i c = _mm256_sub_epi32(_mm256_cvtepi16_epi32(v[i]), mv);
      setCol(dp, r + x + i, c);
      setCol(sqp, r + x + i, _mm256_mullo_epi32(c, c));
    }
  }
  for (; x < w; ++x) {
    alignas(32) int32_t c[8];
    for (int j = 0; j < 8; ++j) c[j] = rows[j][x] - m;
    const __m256i cv = _mm256_load_si256(reinterpret_cast<const __m256i*>(c));
    setCol(dp, r + x, cv);
    setCol(sqp, r + x, _mm256_mullo_epi32(cv, cv));
  }
  destripMirrorEnds(dp, p, 8);
  destripMirrorEnds(sqp, p, 8);

  // First window: q = w0 S2 - S1^2 (shift-invariant), a = coef(q >> 10), b' = (1024 - a) S1'
  // with S1' the window sum relative to m (b = b' + (1024 - a) w0 m, folded into the base below).
  const __m256i w0v = _mm256_set1_epi32(p.w0), c0v = _mm256_set1_epi32(p.c0);
  const __m256 c0f = _mm256_set1_ps(float(p.c0) / 1024.0f);  // exact: c0 < 2^21
  const __m256i c1024 = _mm256_set1_epi32(1024);
  int32_t* const ap = p.a;
  int32_t* const bp = p.b;
  __m256i s1 = _mm256_setzero_si256(), s2 = _mm256_setzero_si256();
  for (int e = 0; e < taps; ++e) s1 = _mm256_add_epi32(s1, col(dp, e)), s2 = _mm256_add_epi32(s2, col(sqp, e));
  for (x = 0; x < w; ++x) {
    if (x > 0) {
      s1 = _mm256_add_epi32(s1, _mm256_sub_epi32(col(dp, x + 2 * r), col(dp, x - 1)));
      s2 = _mm256_add_epi32(s2, _mm256_sub_epi32(col(sqp, x + 2 * r), col(sqp, x - 1)));
    }
    const __m256i q = _mm256_sub_epi32(_mm256_mullo_epi32(w0v, s2), _mm256_mullo_epi32(s1, s1));
    const __m256i a = destripCoefEpi32(_mm256_srai_epi32(q, 10), c0v, c0f);
    setCol(ap, r + x, _mm256_mullo_epi32(a, w0v));  // w0 a: the base takes Sa w0
    setCol(bp, r + x, _mm256_mullo_epi32(_mm256_sub_epi32(c1024, a), s1));
  }
  destripMirrorEnds(ap, p, 8);
  destripMirrorEnds(bp, p, 8);

  // Second window: the reference numerator Sa w0 v + Sb is Sa w0 d + Sb' + dn m, so
  // floor(base) = floor((Sa w0 d + Sb') / dn) + m; the truncating division rounds a negative
  // inexact quotient up by one. detail = v - base = d - (base - m).
  const int32_t sqI = p.w0 * p.w0;
  const __m256i dn = _mm256_set1_epi32(sqI * 1024);
  const __m256 invSq = _mm256_set1_ps(1.0f / float(sqI)), halfStep = _mm256_set1_ps(0.5f / float(sqI));
  const __m256i zero = _mm256_setzero_si256();
  __m256i sa = zero, sb = zero;
  for (int e = 0; e < taps; ++e) sa = _mm256_add_epi32(sa, col(ap, e)), sb = _mm256_add_epi32(sb, col(bp, e));
  int16_t* const tdet = p.det;
  for (x = 0; x < w; ++x) {
    if (x > 0) {
      sa = _mm256_add_epi32(sa, _mm256_sub_epi32(col(ap, x + 2 * r), col(ap, x - 1)));
      sb = _mm256_add_epi32(sb, _mm256_sub_epi32(col(bp, x + 2 * r), col(bp, x - 1)));
    }
    const __m256i d = col(dp, r + x);
    const __m256i num = _mm256_add_epi32(_mm256_mullo_epi32(sa, d), sb);
    const __m256i fq = destripFloorDivDnEpi32(num, invSq, halfStep);
    __m256i dv = _mm256_sub_epi32(d, fq);
    const __m256i f = _mm256_add_epi32(fq, mv);
    if (_mm256_movemask_ps(_mm256_castsi256_ps(f))) {  // a negative base: lanes not exact round up
      const __m256i exact = _mm256_cmpeq_epi32(_mm256_mullo_epi32(fq, dn), num);
      dv = _mm256_add_epi32(dv, _mm256_andnot_si256(exact, _mm256_cmpgt_epi32(zero, f)));  // -1 per lane
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(tdet + 8 * x),
                    _mm_packs_epi32(_mm256_castsi256_si128(dv), _mm256_extracti128_si256(dv, 1)));
  }

  // Back to rows.
  for (x = 0; x + 8 <= w; x += 8) {
    __m128i v[8];
    for (int i = 0; i < 8; ++i) v[i] = _mm_load_si128(reinterpret_cast<const __m128i*>(tdet + 8 * (x + i)));
    destripTranspose8x8(v);
    for (int j = 0; j < 8; ++j) _mm_storeu_si128(reinterpret_cast<__m128i*>(det[j] + x), v[j]);
  }
  for (; x < w; ++x)
    for (int j = 0; j < 8; ++j) det[j][x] = tdet[8 * x + j];
  return true;
}

}  // namespace ostrel::alg
