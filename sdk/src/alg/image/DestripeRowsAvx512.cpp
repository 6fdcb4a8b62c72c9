// Destripe row step on sixteen transposed rows in 32-bit lanes (from SimdLevel::Avx512 up): the
// eight-row step of DestripeRowsAvx2.cpp with one column of sixteen rows per register, lane for
// lane the same integer arithmetic, so the same details.
// GCC 12's AVX-512 headers start some conversions from an undefined register, which its
// uninitialised-use analysis reports (clang has no such analysis, nor the warning's name).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <algorithm>

#include "DestripeRowsAvx2.h"
#include "Stretch.h"

#define OSTREL_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq,avx512vl")))

namespace ostrel::alg {

namespace {

OSTREL_AVX512 inline __m512i col(const int32_t* plane, int e) {
  return _mm512_load_si512(plane + 16 * e);
}
OSTREL_AVX512 inline void setCol(int32_t* plane, int e, __m512i v) {
  _mm512_store_si512(plane + 16 * e, v);
}

// destripCoefEpi32 on sixteen lanes.
OSTREL_AVX512 inline __m512i coef16(__m512i v, __m512i c0, __m512 c0f) {
  const __m512 vf = _mm512_cvtepi32_ps(v);
  const __m512 approx = _mm512_div_ps(_mm512_mul_ps(vf, _mm512_set1_ps(1024.0f)), _mm512_add_ps(vf, c0f));
  const __m512 fl = _mm512_roundscale_ps(_mm512_sub_ps(approx, _mm512_set1_ps(0.25f)),
                                         _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
  const __m512i k = _mm512_add_epi32(_mm512_cvtps_epi32(fl), _mm512_set1_epi32(1));
  const __m512i lhs = _mm512_mullo_epi32(v, _mm512_sub_epi32(_mm512_set1_epi32(1024), k));
  const __m512i rhs =
      _mm512_srai_epi32(_mm512_add_epi32(_mm512_mullo_epi32(k, c0), _mm512_set1_epi32(1023)), 10);
  return _mm512_mask_sub_epi32(k, _mm512_cmpgt_epi32_mask(rhs, lhs), k, _mm512_set1_epi32(1));
}

// destripFloorDivDnEpi32 on sixteen lanes.
OSTREL_AVX512 inline __m512i floorDivDn16(__m512i n, __m512 invSq, __m512 halfStep) {
  const __m512 t = _mm512_cvtepi32_ps(_mm512_srai_epi32(n, 10));
  return _mm512_cvtps_epi32(_mm512_roundscale_ps(_mm512_add_ps(_mm512_mul_ps(t, invSq), halfStep),
                                                 _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC));
}

}  // namespace

OSTREL_AVX512 bool destripRowGroupAvx512(const int16_t* const rows[16], const DestripGroupPlan& p,
                                         int16_t* const det[16]) {
  const int w = p.w, r = p.r, taps = 2 * r + 1;
  int lowest = 32767, highest = -32768;
  for (int j = 0; j < 16; ++j) {
    int lo = 0, hi = 0;
    codeRangeAvx2(rows[j], w, &lo, &hi);
    lowest = std::min(lowest, lo), highest = std::max(highest, hi);
  }
  const int m = (lowest + highest) >> 1;  // floor, also below zero
  if (!destripGroupFits(p.w0, std::max(highest - m, m - lowest)) || p.c0 > kDestripGroupMaxC0 || p.c0 < 1)
    return false;

  // Codes relative to m and their squares, one column of the sixteen rows per register.
  const __m512i mv = _mm512_set1_epi32(m);
  int32_t* const dp = p.d;
  int32_t* const sqp = p.sq;
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    __m128i lo[8], hi[8];
    for (int j = 0; j < 8; ++j) {
      lo[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[j] + x));
      hi[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[j + 8] + x));
    }
    destripTranspose8x8(lo);
    destripTranspose8x8(hi);
    for (int i = 0; i < 8; ++i) {
      const __m512i c = _mm512_sub_epi32(_mm512_cvtepi16_epi32(_mm256_set_m128i(hi[i], lo[i])), mv);
      setCol(dp, r + x + i, c);
      setCol(sqp, r + x + i, _mm512_mullo_epi32(c, c));
    }
  }
  for (; x < w; ++x) {
    alignas(64) int32_t c[16];
    for (int j = 0; j < 16; ++j) c[j] = rows[j][x] - m;
    const __m512i cv = _mm512_load_si512(c);
    setCol(dp, r + x, cv);
    setCol(sqp, r + x, _mm512_mullo_epi32(cv, cv));
  }
  destripMirrorEnds(dp, p, 16);
  destripMirrorEnds(sqp, p, 16);

  // First window: q = w0 S2 - S1^2, a = coef(q >> 10), b' = (1024 - a) S1' (relative to m).
  const __m512i w0v = _mm512_set1_epi32(p.w0), c0v = _mm512_set1_epi32(p.c0);
  const __m512 c0f = _mm512_set1_ps(float(p.c0) / 1024.0f);  // exact: c0 < 2^21
  const __m512i c1024 = _mm512_set1_epi32(1024);
  int32_t* const ap = p.a;
  int32_t* const bp = p.b;
  __m512i s1 = _mm512_setzero_si512(), s2 = _mm512_setzero_si512();
  for (int e = 0; e < taps; ++e)
    s1 = _mm512_add_epi32(s1, col(dp, e)), s2 = _mm512_add_epi32(s2, col(sqp, e));
  for (x = 0; x < w; ++x) {
    if (x > 0) {
      s1 = _mm512_add_epi32(s1, _mm512_sub_epi32(col(dp, x + 2 * r), col(dp, x - 1)));
      s2 = _mm512_add_epi32(s2, _mm512_sub_epi32(col(sqp, x + 2 * r), col(sqp, x - 1)));
    }
    const __m512i q = _mm512_sub_epi32(_mm512_mullo_epi32(w0v, s2), _mm512_mullo_epi32(s1, s1));
    const __m512i a = coef16(_mm512_srai_epi32(q, 10), c0v, c0f);
    setCol(ap, r + x, _mm512_mullo_epi32(a, w0v));
    setCol(bp, r + x, _mm512_mullo_epi32(_mm512_sub_epi32(c1024, a), s1));
  }
  destripMirrorEnds(ap, p, 16);
  destripMirrorEnds(bp, p, 16);

  // Second window: floor(base) = floor((Sa w0 d + Sb') / dn) + m, a negative inexact quotient
  // rounded up by one as the reference's truncating division does; detail = d - (base - m).
  const int32_t sqI = p.w0 * p.w0;
  const __m512i dn = _mm512_set1_epi32(sqI * 1024);
  const __m512 invSq = _mm512_set1_ps(1.0f / float(sqI)), halfStep = _mm512_set1_ps(0.5f / float(sqI));
  const __m512i one = _mm512_set1_epi32(1);
  __m512i sa = _mm512_setzero_si512(), sb = _mm512_setzero_si512();
  for (int e = 0; e < taps; ++e) sa = _mm512_add_epi32(sa, col(ap, e)), sb = _mm512_add_epi32(sb, col(bp, e));
  int16_t* const tdet = p.det;
  for (x = 0; x < w; ++x) {
    if (x > 0) {
      sa = _mm512_add_epi32(sa, _mm512_sub_epi32(col(ap, x + 2 * r), col(ap, x - 1)));
      sb = _mm512_add_epi32(sb, _mm512_sub_epi32(col(bp, x + 2 * r), col(bp, x - 1)));
    }
    const __m512i d = col(dp, r + x);
    const __m512i num = _mm512_add_epi32(_mm512_mullo_epi32(sa, d), sb);
    const __m512i fq = floorDivDn16(num, invSq, halfStep);
    __m512i dv = _mm512_sub_epi32(d, fq);
    const __mmask16 negative = _mm512_movepi32_mask(_mm512_add_epi32(fq, mv));
    if (negative) {
      const __mmask16 exact = _mm512_cmpeq_epi32_mask(_mm512_mullo_epi32(fq, dn), num);
      dv = _mm512_mask_sub_epi32(dv, negative & static_cast<__mmask16>(~exact), dv, one);
    }
    _mm256_store_si256(reinterpret_cast<__m256i*>(tdet + 16 * x), _mm512_cvtsepi32_epi16(dv));
  }

  // Back to rows.
  for (x = 0; x + 8 <= w; x += 8) {
    __m128i lo[8], hi[8];
    for (int i = 0; i < 8; ++i) {
      const __m256i c = _mm256_load_si256(reinterpret_cast<const __m256i*>(tdet + 16 * (x + i)));
      lo[i] = _mm256_castsi256_si128(c);
      hi[i] = _mm256_extracti128_si256(c, 1);
    }
    destripTranspose8x8(lo);
    destripTranspose8x8(hi);
    for (int j = 0; j < 8; ++j) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(det[j] + x), lo[j]);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(det[j + 8] + x), hi[j]);
    }
  }
  for (; x < w; ++x)
    for (int j = 0; j < 16; ++j) det[j][x] = tdet[16 * x + j];
  return true;
}

}  // namespace ostrel::alg
