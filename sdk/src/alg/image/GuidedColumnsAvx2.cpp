// The guided filters' second pass folded into their output rows, in eight 32-bit lanes (from
// SimdLevel::Avx2 up): the window sums of the column sums of a and b never leave the registers,
// and the two floor divisions of the output take a single-precision estimate that an exact
// integer remainder corrects.
//
// Both divisions have the form floor(X / M) with X an integer the lanes hold only modulo 2^32
// (products wrap) and an estimate t of X / M within 1/2: k = floor(t + 1/2) is then floor(X / M)
// or one more, and the remainder X - k M, whose true value lies in -M .. M - 1 (well inside 32
// bits for the divisors here), is negative exactly in the second case.
#include <immintrin.h>

#include "GuidedAvx2.h"

#define OSTREL_AVX2 __attribute__((target("avx2")))

namespace ostrel::alg {

using namespace rowtools;

namespace {

inline int64_t windowSumAt(const int32_t* ext, int x, int taps) {
  int64_t s = 0;
  for (int j = 0; j < taps; ++j) s += ext[x + j];
  return s;
}

// k + (rem < 0 ? -1 : 0): the floor from its estimate k and the remainder X - k M.
OSTREL_AVX2 inline __m256i corrected(__m256i k, __m256i rem) {
  return _mm256_add_epi32(k, _mm256_srai_epi32(rem, 31));
}

// The base floor((floor(n v Sa / 1024) + Sb) / n^2) = floor((n v Sa + 1024 Sb) / (1024 n^2)).
// With |v| <= 65535, 0 <= Sa <= 1024 n and |Sb| <= n (65535 n + 1) both terms of the estimate
// v (Sa / 1024 n) + Sb / n^2 stay within 2^16 and carry at most three roundings of 2^-24 each,
// and the sum and the added half two more: within 2^-4 in all. The divisor 1024 n^2 stays below
// 2^25 for the radii that reach these kernels.
struct BaseConsts {
  __m256i n, divisor;
  __m256 perSa, perSb;  // 1 / (1024 n), 1 / n^2
};
OSTREL_AVX2 inline BaseConsts baseConsts(int64_t n) {
  return {_mm256_set1_epi32(static_cast<int32_t>(n)), _mm256_set1_epi32(static_cast<int32_t>(1024 * n * n)),
          _mm256_set1_ps(static_cast<float>(1.0 / (1024.0 * double(n)))),
          _mm256_set1_ps(static_cast<float>(1.0 / (double(n) * double(n))))};
}
OSTREL_AVX2 inline __m256i baseEpi32(__m256i v, __m256i sa, __m256i sb, const BaseConsts& c) {
  const __m256 t =
      _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(v), _mm256_mul_ps(_mm256_cvtepi32_ps(sa), c.perSa)),
                    _mm256_mul_ps(_mm256_cvtepi32_ps(sb), c.perSb));
  const __m256i k = _mm256_cvtps_epi32(_mm256_floor_ps(_mm256_add_ps(t, _mm256_set1_ps(0.5f))));
  const __m256i x = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_mullo_epi32(c.n, v), sa), _mm256_slli_epi32(sb, 10));
  return corrected(k, _mm256_sub_epi32(x, _mm256_mullo_epi32(k, c.divisor)));
}

// The detail floor(Sa m gn / 2^20), saturated to int16 by the caller's pack (gn / 2^20 is exact
// in single precision). An estimate beyond +-40000 (where the true value, within a relative
// 2^-22 of it, saturates too) is held there, so that k stays small; inside, the estimate is
// within 2^-8 (two roundings of 2^-24 on at most 2^15.3).
OSTREL_AVX2 inline __m256i detailEpi32(__m256i sa, __m256i m, __m256i gn, __m256 gnScaled) {
  __m256 t = _mm256_mul_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(sa), _mm256_cvtepi32_ps(m)), gnScaled);
  t = _mm256_min_ps(_mm256_max_ps(t, _mm256_set1_ps(-40000.0f)), _mm256_set1_ps(40000.0f));
  const __m256i k = _mm256_cvtps_epi32(_mm256_floor_ps(_mm256_add_ps(t, _mm256_set1_ps(0.5f))));
  const __m256i x = _mm256_mullo_epi32(_mm256_mullo_epi32(sa, m), gn);
  return corrected(k, _mm256_sub_epi32(x, _mm256_slli_epi32(k, 20)));
}

OSTREL_AVX2 inline __m128i pack16(__m256i v) {
  return _mm_packs_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
}

template <class In>
OSTREL_AVX2 inline __m256i loadCodes8(const In* v) {
  if constexpr (sizeof(In) == 2) {
    return _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v)));
  } else {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v));
  }
}

template <int T>
OSTREL_AVX2 void denoiseRowT(int16_t* row, int32_t* ca, int32_t* cb, const BoxPlan& p) {
  const int w = p.w, taps = T > 0 ? T : 2 * p.r + 1;
  const int64_t n = static_cast<int64_t>(taps) * taps;
  const int32_t* ea = extend(ca, p);
  const int32_t* eb = extend(cb, p);
  const BaseConsts c = baseConsts(n);
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    const __m256i v = loadCodes8(row + x);
    const __m256i base = baseEpi32(v, tapSum8<T>(ea, x, taps), tapSum8<T>(eb, x, taps), c);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), pack16(base));
  }
  for (; x < w; ++x) {
    const int64_t v = row[x];
    row[x] = sat16(floorDivScalar(((n * v * windowSumAt(ea, x, taps)) >> 10) + windowSumAt(eb, x, taps), n * n));
  }
}

template <int T, class In>
OSTREL_AVX2 void detailRowT(const In* v, int32_t* ca1, int32_t* cb1, int32_t* ca2, int32_t* cb2, int16_t* det,
                            int16_t* dn, const BoxPlan& p, const DetailRowArgs& k) {
  const int w = p.w, taps = T > 0 ? T : 2 * p.r + 1;
  const int64_t n = static_cast<int64_t>(taps) * taps;
  const int32_t* ea1 = extend(ca1, p);
  const int32_t* eb1 = extend(cb1, p);
  const int32_t* ea2 = dn ? nullptr : extend(ca2, p);
  const int32_t* eb2 = dn ? nullptr : extend(cb2, p);
  const BaseConsts c = baseConsts(n);
  const __m256i g1 = _mm256_set1_epi32(static_cast<int32_t>(k.gn1)), g2 = _mm256_set1_epi32(static_cast<int32_t>(k.gn2));
  const __m256 g1s = _mm256_set1_ps(static_cast<float>(double(k.gn1) / 1048576.0));
  const __m256 g2s = _mm256_set1_ps(static_cast<float>(double(k.gn2) / 1048576.0));
  // One pixel as the reference computes it, from the window sums of the filter it takes.
  auto scalarAt = [&](int x) {
    const int64_t vv = v[x];
    const bool second = !dn && windowSumAt(ea1, x, taps) < k.switchG;
    const int64_t sa = windowSumAt(second ? ea2 : ea1, x, taps), sb = windowSumAt(second ? eb2 : eb1, x, taps);
    const int64_t base = floorDivScalar(((n * vv * sa) >> 10) + sb, k.nn);
    const int64_t m = vv - base;
    det[x] = sat16((sa * m * (second ? k.gn2 : k.gn1)) >> 20);
    if (dn) {
      const int64_t cv = (m >> k.shiftDn) + base + k.c0;
      dn[x] = static_cast<int16_t>(cv < k.lowest ? k.lowest : (cv > k.highest ? k.highest : cv));
    }
  };
  int x = 0;
  if (dn) {
    const __m128i shift = _mm_cvtsi32_si128(k.shiftDn);
    const __m256i c0 = _mm256_set1_epi32(k.c0), lo = _mm256_set1_epi32(k.lowest), hi = _mm256_set1_epi32(k.highest);
    for (; x + 8 <= w; x += 8) {
      const __m256i vv = loadCodes8(v + x);
      const __m256i sa = tapSum8<T>(ea1, x, taps);
      const __m256i base = baseEpi32(vv, sa, tapSum8<T>(eb1, x, taps), c);
      const __m256i m = _mm256_sub_epi32(vv, base);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(det + x), pack16(detailEpi32(sa, m, g1, g1s)));
      const __m256i cv = _mm256_add_epi32(_mm256_add_epi32(_mm256_sra_epi32(m, shift), base), c0);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dn + x), pack16(_mm256_min_epi32(_mm256_max_epi32(cv, lo), hi)));
    }
    for (; x < w; ++x) scalarAt(x);
    return;
  }
  const __m256i sw = _mm256_set1_epi32(static_cast<int32_t>(k.switchG));
  for (; x + 8 <= w; x += 8) {
    const __m256i vv = loadCodes8(v + x);
    __m256i sa = tapSum8<T>(ea1, x, taps), sb = tapSum8<T>(eb1, x, taps), gn = g1;
    __m256 gns = g1s;
    // Lanes whose Sa of the first filter is below the switch take the second filter, whose sums
    // are formed only when a lane takes them.
    const __m256i second = _mm256_cmpgt_epi32(sw, sa);
    if (_mm256_movemask_ps(_mm256_castsi256_ps(second)) != 0) {
      sa = _mm256_blendv_epi8(sa, tapSum8<T>(ea2, x, taps), second);
      sb = _mm256_blendv_epi8(sb, tapSum8<T>(eb2, x, taps), second);
      gn = _mm256_blendv_epi8(gn, g2, second);
      gns = _mm256_blendv_ps(gns, g2s, _mm256_castsi256_ps(second));
    }
    const __m256i m = _mm256_sub_epi32(vv, baseEpi32(vv, sa, sb, c));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(det + x), pack16(detailEpi32(sa, m, gn, gns)));
  }
  for (; x < w; ++x) scalarAt(x);
}

template <class In>
void detailRowColumns(const In* v, int32_t* ca1, int32_t* cb1, int32_t* ca2, int32_t* cb2, int16_t* det, int16_t* dn,
                      const BoxPlan& p, const DetailRowArgs& k) {
  switch (p.r) {
    case 1: return detailRowT<3>(v, ca1, cb1, ca2, cb2, det, dn, p, k);
    case 2: return detailRowT<5>(v, ca1, cb1, ca2, cb2, det, dn, p, k);
    case 3: return detailRowT<7>(v, ca1, cb1, ca2, cb2, det, dn, p, k);
    default: return detailRowT<0>(v, ca1, cb1, ca2, cb2, det, dn, p, k);
  }
}

}  // namespace

void denoiseRowColumnsAvx2(int16_t* row, int32_t* ca, int32_t* cb, const BoxPlan& p) {
  switch (p.r) {
    case 1: return denoiseRowT<3>(row, ca, cb, p);
    case 2: return denoiseRowT<5>(row, ca, cb, p);
    case 3: return denoiseRowT<7>(row, ca, cb, p);
    case 4: return denoiseRowT<9>(row, ca, cb, p);
    default: return denoiseRowT<0>(row, ca, cb, p);
  }
}

void detailRowColumnsAvx2(const int16_t* v, int32_t* ca1, int32_t* cb1, int32_t* ca2, int32_t* cb2, int16_t* det,
                          int16_t* denoised, const BoxPlan& p, const DetailRowArgs& k) {
  detailRowColumns(v, ca1, cb1, ca2, cb2, det, denoised, p, k);
}
void detailRowColumnsAvx2(const int32_t* v, int32_t* ca1, int32_t* cb1, int32_t* ca2, int32_t* cb2, int16_t* det,
                          int16_t* denoised, const BoxPlan& p, const DetailRowArgs& k) {
  detailRowColumns(v, ca1, cb1, ca2, cb2, det, denoised, p, k);
}

}  // namespace ostrel::alg
